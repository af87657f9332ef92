#include "ViewCopy.h"

#include "ViewConstants.h"

Picture* ViewCopy::For(const Picture& picture, int width, int height)
{
    const bool reduced = width < picture.GetWidth() || height < picture.GetHeight();
    const bool enlarged = width > picture.GetWidth() || height > picture.GetHeight();
    if (enlarged || (!reduced && !picture.HasTransparency())) return nullptr;
    if (m_valid && m_copy.GetWidth() == width && m_copy.GetHeight() == height) return &m_copy;
    m_valid = picture.ReduceOnto(m_copy, width, height, RGBtoRGBQUAD(view::kBackground));
    m_made += m_valid;
    return m_valid ? &m_copy : nullptr;
}

void ViewCopy::Clear()
{
    m_copy.Destroy();
    m_valid = false;
}
