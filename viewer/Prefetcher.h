// Decodes the files the viewer is likely to show next on a thread of its own, so that a step to
// one of them needs no decoding. It holds few pictures (kSlots, counting the one being decoded),
// none larger than kMaxPictureBytes, and gives one out only while its file is unchanged on disk.
// Nothing ever waits for the thread except its end.
#pragma once

#include "FileStamp.h"
#include "Picture.h"

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class PictureDecoder;

class Prefetcher {
public:
    static constexpr std::size_t kSlots = 2;
    // 128 MiB of pixel rows: a 40-megapixel photo in 24 bits fits.
    static constexpr std::uint64_t kMaxPictureBytes = std::uint64_t(128) << 20;

    explicit Prefetcher(PictureDecoder& decoder, std::uint64_t maxPictureBytes = kMaxPictureBytes);
    // Waits for a decode under way to end, then ends the thread.
    ~Prefetcher();
    Prefetcher(const Prefetcher&) = delete;
    Prefetcher& operator=(const Prefetcher&) = delete;

    // A picture decoded elsewhere (the one shown until now) that may be kept instead of being
    // decoded again.
    struct Offer {
        std::string path;
        FileStamp stamp;
        Picture picture{ImageFormat::Unknown};
    };

    // The files to have ready, most wanted first; every picture of another file is dropped. An
    // offered picture is kept when its file is wanted and unchanged and a slot is free.
    void Want(const std::vector<std::string>& paths, Offer offer);
    void Want(const std::vector<std::string>& paths) { Want(paths, Offer{}); }
    // Drops every picture and wants none.
    void Clear() { Want({}); }
    // Hands over the picture of path when it is decoded and the file is still the one decoded.
    bool Take(const std::string& path, Picture& picture, FileStamp& stamp);

    // For tests and benchmarks: whether path is ready, and waiting for the thread to run out of work.
    bool IsReady(const std::string& path) const;
    void WaitUntilIdle();
    // Pictures held, counting one being decoded; never above kSlots.
    std::size_t GetHeld() const;

private:
    void Run();
    bool IsWanted(const std::string& path) const;
    bool IsHeld(const std::string& path) const;

    PictureDecoder& m_decoder;
    const std::uint64_t m_maxPictureBytes;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::vector<std::string> m_wanted;
    std::vector<std::string> m_queue;
    std::vector<Offer> m_held;
    std::string m_busyPath;
    bool m_busy = false;
    bool m_stopping = false;
    // Last: it starts once everything it uses exists.
    std::thread m_thread;
};
