// The frames of a GIF animation in file order, composed as browsers compose them: each frame
// is drawn over the screen the frames before it left, which its control block then disposes of
// (left in place, cleared to transparent, or put back as it was before the frame).
#pragma once

#include "ByteReader.h"
#include "FrameReader.h"
#include "GifLzw.h"
#include "Picture.h"

#include <cstdio>
#include <memory>
#include <vector>

namespace gif {
struct Descriptor;
}

class GifFrameReader : public FrameReader {
public:
    // Null when the file cannot be read as GIF or holds fewer than two frames.
    static std::unique_ptr<GifFrameReader> Open(const std::string& path);

    bool Next(Picture& frame) override;
    bool Rewind() override;
    int GetFrameCount() const override { return m_frameCount; }
    int GetLoopCount() const override { return m_loopCount; }

private:
    // What a graphic control block says about the image after it.
    struct Control {
        int disposal = 0;
        std::uint16_t delay = 0;
        int transparent = -1;
    };

    GifFrameReader() = default;
    bool ReadHeader();
    // Reads up to the next image on the screen and, with a frame to fill, composes it.
    bool Step(Picture* frame);
    bool ReadExtension();
    bool DecodeImage(const gif::Descriptor& image);
    void Dispose();
    void Draw(const gif::Descriptor& image, const std::vector<std::uint8_t>& table, int transparent);
    bool MakeFrame(Picture& frame, std::uint16_t delay) const;

    std::unique_ptr<std::FILE, int (*)(std::FILE*)> m_file{nullptr, &std::fclose};
    std::unique_ptr<ByteStream> m_stream;
    std::unique_ptr<ByteReader> m_in;
    std::unique_ptr<GifLzwDecoder> m_lzw = std::make_unique<GifLzwDecoder>();
    std::int32_t m_dataStart = 0;
    std::uint32_t m_screenWidth = 0;
    std::uint32_t m_screenHeight = 0;
    std::vector<std::uint8_t> m_globalTable;
    int m_frameCount = 0;
    int m_loopCount = -1;
    Control m_control;

    // The screen in RGBA, top row first; alpha 0 where nothing has been drawn.
    std::vector<RgbQuad> m_canvas;
    // The screen before the last frame, when that frame asks for it to be put back.
    std::vector<RgbQuad> m_saved;
    // The last frame's place and disposal, carried out before the next frame is drawn.
    std::uint32_t m_lastLeft = 0;
    std::uint32_t m_lastTop = 0;
    std::uint32_t m_lastWidth = 0;
    std::uint32_t m_lastHeight = 0;
    int m_lastDisposal = 0;
    // The indices of the image being read, top row first, and how many of each row arrived.
    std::vector<std::uint8_t> m_indices;
    std::vector<std::uint32_t> m_arrived;
};
