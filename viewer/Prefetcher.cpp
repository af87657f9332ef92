#include "Prefetcher.h"

#include "PictureDecoder.h"

#include <algorithm>

#include <sys/resource.h>
#include <unistd.h>

namespace {

constexpr int kNiceness = 10;

std::uint64_t PixelBytes(const Picture& picture)
{
    return std::uint64_t(picture.GetEffWidth()) * std::uint64_t(std::max(picture.GetHeight(), 0));
}

} // namespace

Prefetcher::Prefetcher(PictureDecoder& decoder, std::uint64_t maxPictureBytes)
    : m_decoder(decoder), m_maxPictureBytes(maxPictureBytes), m_thread([this] { Run(); })
{
}

Prefetcher::~Prefetcher()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void Prefetcher::Want(const std::vector<std::string>& paths, Offer offer)
{
    const bool offered = offer.stamp.exists && PixelBytes(offer.picture) <= m_maxPictureBytes &&
                         FileStamp::Of(offer.path.c_str()) == offer.stamp;
    std::vector<Offer> dropped;
    {
        std::lock_guard lock(m_mutex);
        m_wanted = paths;
        const auto unwanted = std::stable_partition(m_held.begin(), m_held.end(),
                                                    [&](const Offer& held) { return IsWanted(held.path); });
        std::move(unwanted, m_held.end(), std::back_inserter(dropped));
        m_held.erase(unwanted, m_held.end());
        if (offered && IsWanted(offer.path) && !IsHeld(offer.path) && m_held.size() + (m_busy ? 1 : 0) < kSlots)
            m_held.push_back(std::move(offer));
        m_queue.clear();
        for (const std::string& path : paths)
            if (!IsHeld(path) && !(m_busy && path == m_busyPath) &&
                std::find(m_queue.begin(), m_queue.end(), path) == m_queue.end())
                m_queue.push_back(path);
    }
    m_wake.notify_all();
    // The dropped pictures, and an offer not kept, are freed here, outside the lock.
}

bool Prefetcher::Take(const std::string& path, Picture& picture, FileStamp& stamp)
{
    Offer taken;
    {
        std::lock_guard lock(m_mutex);
        const auto found =
            std::find_if(m_held.begin(), m_held.end(), [&](const Offer& held) { return held.path == path; });
        if (found == m_held.end()) return false;
        taken = std::move(*found);
        m_held.erase(found);
    }
    m_wake.notify_all();
    if (FileStamp::Of(path.c_str()) != taken.stamp) return false;
    picture = std::move(taken.picture);
    stamp = taken.stamp;
    return true;
}

bool Prefetcher::IsReady(const std::string& path) const
{
    std::lock_guard lock(m_mutex);
    return IsHeld(path);
}

void Prefetcher::WaitUntilIdle()
{
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return !m_busy && (m_queue.empty() || m_held.size() >= kSlots); });
}

std::size_t Prefetcher::GetHeld() const
{
    std::lock_guard lock(m_mutex);
    return m_held.size() + (m_busy ? 1 : 0);
}

bool Prefetcher::IsWanted(const std::string& path) const
{
    return std::find(m_wanted.begin(), m_wanted.end(), path) != m_wanted.end();
}

bool Prefetcher::IsHeld(const std::string& path) const
{
    return std::any_of(m_held.begin(), m_held.end(), [&](const Offer& held) { return held.path == path; });
}

void Prefetcher::Run()
{
    // Below the window's thread: a decode ahead must not slow down the paint of what is shown.
    ::setpriority(PRIO_PROCESS, ::gettid(), kNiceness);
    std::unique_lock lock(m_mutex);
    while (!m_stopping) {
        // A decode starts only while a slot is free, so held and busy together stay within kSlots.
        if (m_queue.empty() || m_held.size() >= kSlots) {
            m_idle.notify_all();
            m_wake.wait(lock);
            continue;
        }
        m_busyPath = m_queue.front();
        m_queue.erase(m_queue.begin());
        m_busy = true;
        const std::string path = m_busyPath;
        lock.unlock();

        // The file must be the same before and after: a file written meanwhile may have been
        // read half old, half new.
        const FileStamp stamp = FileStamp::Of(path.c_str());
        Picture picture;
        const bool decoded = stamp.exists && m_decoder.Decode(path.c_str(), picture) &&
                             PixelBytes(picture) <= m_maxPictureBytes && FileStamp::Of(path.c_str()) == stamp;

        lock.lock();
        m_busy = false;
        if (decoded && IsWanted(path) && !IsHeld(path)) {
            m_held.push_back({path, stamp, std::move(picture)});
        } else if (picture.IsValid()) {
            // Not kept: freed outside the lock.
            lock.unlock();
            picture.Destroy();
            lock.lock();
        }
    }
    m_idle.notify_all();
}
