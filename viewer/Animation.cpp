#include "Animation.h"

#include "Picture.h"
#include "Timer.h"

namespace {

int DelayMs(std::uint16_t hundredths)
{
    const int ms = 10 * int(hundredths);
    return ms <= Animation::kShortestDelayMs ? Animation::kDelayForShortestMs : ms;
}

} // namespace

void Animation::SetTimer(platform::Timer* timer)
{
    if (m_timer) m_timer->Stop();
    m_timer = timer;
    if (m_reader) TimeNext();
}

bool Animation::Start(std::unique_ptr<FrameReader> reader, Picture& shown)
{
    Stop();
    Picture first;
    if (!reader || !reader->Next(first)) return false;
    m_reader = std::move(reader);
    m_frame = 1;
    m_showing = 1;
    m_ended = false;
    m_delayMs = DelayMs(first.GetFrameDelay());
    shown = std::move(first);
    TimeNext();
    return true;
}

void Animation::Stop()
{
    if (m_timer) m_timer->Stop();
    m_reader.reset();
    m_frame = 0;
}

bool Animation::Advance(Picture& shown)
{
    if (!m_reader || m_paused || m_ended) return false;
    Picture next;
    bool read = m_frame < m_reader->GetFrameCount() && m_reader->Next(next);
    if (read) {
        ++m_frame;
    } else {
        // The end of a showing, or a frame that could not be read: the next showing, if any.
        const int loops = m_reader->GetLoopCount();
        const bool again = loops == 0 || (loops > 0 && m_showing <= loops);
        read = again && m_frame > 1 && m_reader->Rewind() && m_reader->Next(next);
        if (!read) {
            m_ended = true;
            return false;
        }
        ++m_showing;
        m_frame = 1;
    }
    m_delayMs = DelayMs(next.GetFrameDelay());
    shown = std::move(next);
    TimeNext();
    return true;
}

void Animation::SetPaused(bool paused)
{
    if (paused == m_paused) return;
    m_paused = paused;
    if (m_paused) {
        if (m_timer) m_timer->Stop();
    } else if (m_reader && !m_ended) {
        TimeNext();
    }
}

void Animation::TimeNext()
{
    if (m_timer && !m_paused && !m_ended) m_timer->Start(m_delayMs);
}
