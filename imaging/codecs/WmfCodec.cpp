#include "WmfCodec.h"

#include "metafile/CairoLibrary.h"
#include "metafile/CairoRenderer.h"
#include "metafile/EmfReader.h"
#include "metafile/GdiModel.h"
#include "metafile/WmfReader.h"

#include <algorithm>
#include <vector>

namespace {

constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr std::size_t kPlaceableHeader = 22;
constexpr std::size_t kMetafileHeader = 18;
constexpr std::uint32_t kEmfSignature = 0x464D4520; // " EMF"
constexpr std::size_t kEmfHeader = 88;
// The screen the pictures are made for: 96 dots per inch.
constexpr std::int64_t kScreenDpi = 96;
constexpr std::int64_t kMaxSide = 4000;

bool ReadExactly(ByteStream& in, std::vector<std::uint8_t>& bytes, std::size_t count)
{
    bytes.resize(count);
    return in.Read(bytes.data(), 1, count) == count;
}

// Playing maps the frame (hundredths of a millimetre) onto the picture. Some writers put the
// frame at the origin while they drew elsewhere: when less than half of what was drawn (the
// bounds, in reference device pixels) lies inside the frame, the bounds are mapped instead.
GdiMatrix EmfToPicture(const RecordView& emf, double perMmX, double perMmY, double width, double height)
{
    double left = emf.I32(24) / 100.0 * perMmX;
    double top = emf.I32(28) / 100.0 * perMmY;
    double frameWidth = (double(emf.I32(32)) - emf.I32(24)) / 100.0 * perMmX;
    double frameHeight = (double(emf.I32(36)) - emf.I32(28)) / 100.0 * perMmY;
    const double boundsLeft = emf.I32(8);
    const double boundsTop = emf.I32(12);
    const double boundsWidth = double(emf.I32(16)) - boundsLeft;
    const double boundsHeight = double(emf.I32(20)) - boundsTop;
    const double overlapWidth = std::min(left + frameWidth, boundsLeft + boundsWidth) - std::max(left, boundsLeft);
    const double overlapHeight = std::min(top + frameHeight, boundsTop + boundsHeight) - std::max(top, boundsTop);
    const bool frameShowsDrawing = frameWidth > 0 && frameHeight > 0 && overlapWidth > 0 && overlapHeight > 0 &&
                                   2 * overlapWidth * overlapHeight >= boundsWidth * boundsHeight;
    if (!frameShowsDrawing) {
        left = boundsLeft;
        top = boundsTop;
        frameWidth = boundsWidth;
        frameHeight = boundsHeight;
    }
    const double sx = width / frameWidth;
    const double sy = height / frameHeight;
    return GdiMatrix{sx, 0, 0, sy, -left * sx, -top * sy};
}

} // namespace

struct WmfCodec::Source {
    bool enhanced = false;
    std::vector<std::uint8_t> bytes;
    std::int64_t width = 0;
    std::int64_t height = 0;
    // Placeable metafiles: the bounding box in the metafile's own units.
    std::int16_t left = 0, top = 0, right = 0, bottom = 0;
};

bool WmfCodec::ReadPlaceable(ByteStream& in, std::int64_t available, Source& source)
{
    std::vector<std::uint8_t> head;
    if (available < std::int64_t(kPlaceableHeader + kMetafileHeader)) return false;
    if (!ReadExactly(in, head, kPlaceableHeader + kMetafileHeader)) return false;
    const RecordView placeable(head.data(), kPlaceableHeader);
    if (placeable.U32(0) != kPlaceableKey) return false;
    std::uint16_t checksum = 0;
    for (std::size_t i = 0; i < 10; ++i) checksum ^= placeable.U16(2 * i);
    if (checksum != placeable.U16(20)) return false;
    const std::uint16_t inch = placeable.U16(14);
    if (inch < 1 || inch > 2540) return false;
    const RecordView standard(head.data() + kPlaceableHeader, kMetafileHeader);
    const std::uint16_t type = standard.U16(0);
    if (type != 1 && type != 2) return false;
    // Only what the stream holds behind the placeable header is read. Some writers count that
    // header in the size; a metafile that really is cut short ends before its last record and
    // comes out partial.
    const std::uint64_t declared = std::uint64_t(standard.U32(6)) * 2;
    if (declared < kMetafileHeader) return false;
    const std::uint64_t size = std::min<std::uint64_t>(declared, std::uint64_t(available) - kPlaceableHeader);
    source.bytes.assign(head.begin() + kPlaceableHeader, head.end());
    source.bytes.resize(std::size_t(size));
    const std::size_t rest = std::size_t(size) - kMetafileHeader;
    if (in.Read(source.bytes.data() + kMetafileHeader, 1, rest) != rest) Fail("corrupted WMF");
    source.left = placeable.I16(6);
    source.top = placeable.I16(8);
    source.right = placeable.I16(10);
    source.bottom = placeable.I16(12);
    source.width = (std::int64_t(source.right) - source.left) * kScreenDpi / inch;
    source.height = (std::int64_t(source.bottom) - source.top) * kScreenDpi / inch;
    return true;
}

bool WmfCodec::ReadEnhanced(ByteStream& in, std::int64_t available, Source& source)
{
    std::vector<std::uint8_t> head;
    if (available < std::int64_t(kEmfHeader) || !ReadExactly(in, head, kEmfHeader)) return false;
    const RecordView emf(head.data(), head.size());
    const std::uint32_t headerSize = emf.U32(4);
    const std::uint32_t bytes = emf.U32(48);
    const std::uint32_t records = emf.U32(52);
    // Anything else is not an enhanced metafile: unknown data must not become a blank picture.
    if (emf.U32(0) != 1 || emf.U32(40) != kEmfSignature) return false;
    if (headerSize < kEmfHeader || headerSize % 4 != 0 || headerSize > bytes) return false;
    if (std::int64_t(bytes) > available || records < 1 || records > bytes / 8) return false;
    source.enhanced = true;
    source.width = std::int64_t(emf.I32(16)) - emf.I32(8);
    source.height = std::int64_t(emf.I32(20)) - emf.I32(12);
    source.bytes = std::move(head);
    source.bytes.resize(bytes);
    const std::size_t rest = bytes - kEmfHeader;
    if (in.Read(source.bytes.data() + kEmfHeader, 1, rest) != rest) Fail("corrupted WMF");
    return true;
}

bool WmfCodec::Decode(ByteStream& in, std::int32_t width, std::int32_t height)
{
    try {
        const std::int32_t start = in.Tell();
        const std::int64_t available = in.Remaining();
        Source source;
        if (!ReadPlaceable(in, available, source)) {
            if (!in.Seek(start, 0) || !ReadEnhanced(in, available, source)) Fail("corrupted WMF");
        }
        if (info.escape) Fail("Cancelled");
        if (source.width <= 0 || source.height <= 0) Fail("empty WMF");

        std::int64_t w = width ? width : source.width;
        std::int64_t h = height ? height : source.height;
        if (w <= 0 || h <= 0) Fail("empty WMF");
        if (w > kMaxSide) {
            h = std::max<std::int64_t>(1, h * kMaxSide / w);
            w = kMaxSide;
        }
        if (h > kMaxSide) {
            w = std::max<std::int64_t>(1, w * kMaxSide / h);
            h = kMaxSide;
        }
        if (!FitsCeiling(w, h)) Fail("Create: image too large");

        if (!CairoLibrary::Load()) Fail(CairoLibrary::Unavailable());
        CairoRenderer renderer{int(w), int(h)};
        if (!renderer.IsValid()) Fail("Can't allocate memory");
        GdiModel model(renderer);
        const RecordView metafile(source.bytes.data(), source.bytes.size());
        bool whole = false;
        if (source.enhanced) {
            model.SetObjectTableSize(metafile.U16(56));
            const double deviceX = metafile.I32(72), deviceY = metafile.I32(76);
            const double mmX = metafile.I32(80), mmY = metafile.I32(84);
            const double perMmX = deviceX > 0 && mmX > 0 ? deviceX / mmX : kScreenDpi / 25.4;
            const double perMmY = deviceY > 0 && mmY > 0 ? deviceY / mmY : kScreenDpi / 25.4;
            model.SetDeviceResolution(perMmX, perMmY);
            model.SetOutputTransform(EmfToPicture(metafile, perMmX, perMmY, double(w), double(h)));
            whole = EmfReader(metafile, model).Play(&info.escape);
        } else {
            model.LockViewportToOutput();
            model.SetWindowOrg(source.left, source.top);
            model.SetWindowExt(double(source.right) - source.left, double(source.bottom) - source.top);
            model.SetObjectTableSize(metafile.U16(10));
            whole = WmfReader(metafile, model).Play(&info.escape);
        }
        if (info.escape) Fail("Cancelled");
        if (!renderer.CopyTo(*this)) Fail(info.lastError[0] ? info.lastError : "Can't allocate memory");
        SetPartial(!whole || renderer.OverBudget());
        return true;
    } catch (const Failure& failure) {
        Report(failure);
        return false;
    }
}

bool WmfCodec::Encode(ByteStream&)
{
    SetLastError("Save WMF not supported");
    return false;
}
