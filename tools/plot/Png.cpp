#include "Png.h"

#include <zlib.h>

#include <QImage>
#include <cstdint>
#include <vector>

namespace {

void AppendBigEndian(QByteArray& out, std::uint32_t value) {
    const char bytes[4] = {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
    out.append(bytes, 4);
}

void AppendChunk(QByteArray& out, const char* type, const QByteArray& data) {
    AppendBigEndian(out, static_cast<std::uint32_t>(data.size()));
    const qsizetype start = out.size();
    out.append(type, 4);
    out.append(data);
    const auto* checked = reinterpret_cast<const Bytef*>(out.constData() + start);
    AppendBigEndian(out,
                    static_cast<std::uint32_t>(crc32(0, checked, static_cast<uInt>(out.size() - start))));
}

}  // namespace

QByteArray PngOf(const QImage& source) {
    const QImage image = source.convertToFormat(QImage::Format_RGB888);
    const int width = image.width(), height = image.height();
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
    std::vector<Bytef> rows((rowBytes + 1) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        Bytef* out = rows.data() + (rowBytes + 1) * static_cast<std::size_t>(y);
        const uchar* line = image.constScanLine(y);
        if (y == 0) {
            *out++ = 0;  // none
            std::copy(line, line + rowBytes, out);
            continue;
        }
        const uchar* above = image.constScanLine(y - 1);
        *out++ = 2;  // up
        for (std::size_t i = 0; i < rowBytes; ++i) out[i] = static_cast<Bytef>(line[i] - above[i]);
    }
    uLongf packedSize = compressBound(static_cast<uLong>(rows.size()));
    QByteArray packed(static_cast<qsizetype>(packedSize), Qt::Uninitialized);
    if (compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize, rows.data(),
                  static_cast<uLong>(rows.size()), Z_BEST_SPEED) != Z_OK) {
        return {};
    }
    packed.truncate(static_cast<qsizetype>(packedSize));

    QByteArray header;
    AppendBigEndian(header, static_cast<std::uint32_t>(width));
    AppendBigEndian(header, static_cast<std::uint32_t>(height));
    header.append("\x08\x02\x00\x00\x00", 5);  // 8 bits, truecolour, deflate, no filter method, no interlace
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    AppendChunk(png, "IHDR", header);
    AppendChunk(png, "IDAT", packed);
    AppendChunk(png, "IEND", {});
    return png;
}
