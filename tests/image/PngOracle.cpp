#include "PngOracle.h"

#include <png.h>
#include <zlib.h>

#include <cmath>
#include <csetjmp>
#include <cstring>

namespace {

struct MemReader {
    const std::vector<uint8_t> *data;
    size_t pos;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t n) {
    MemReader *r = static_cast<MemReader *>(png_get_io_ptr(png));
    if (r->pos + n > r->data->size()) png_error(png, "read past end");
    memcpy(out, r->data->data() + r->pos, n);
    r->pos += n;
}

void WriteToMemory(png_structp png, png_bytep in, png_size_t n) {
    auto *out = static_cast<std::vector<uint8_t> *>(png_get_io_ptr(png));
    out->insert(out->end(), in, in + n);
}

void FlushNothing(png_structp) {}

void Quiet(png_structp, png_const_charp) {}

}  // namespace

bool LibpngDecode(const std::vector<uint8_t> &file, Image *image, bool *hasAlpha) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, Quiet);
    png_infop info = png_create_info_struct(png);
    MemReader reader{&file, 0};
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, &reader, ReadFromMemory);
    png_read_info(png, info);
    int colorType = png_get_color_type(png, info);
    bool alpha = (colorType & PNG_COLOR_MASK_ALPHA) || png_get_valid(png, info, PNG_INFO_tRNS);
    if (hasAlpha) *hasAlpha = alpha;
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    image->width = int(png_get_image_width(png, info));
    image->height = int(png_get_image_height(png, info));
    image->pixels.assign(size_t(image->width) * image->height * 4, 0);
    for (int y = 0; y < image->height; y++)
        rows.push_back(image->pixels.data() + size_t(y) * image->width * 4);
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

bool LibpngEncode(int width, int height, int colorType, int bitDepth,
                  const std::vector<uint8_t> &samples, std::vector<uint8_t> *file, int filters,
                  bool interlace, const std::vector<uint8_t> &palette,
                  const std::vector<uint8_t> &trns, int level) {
    file->clear();
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, Quiet);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, file, WriteToMemory, FlushNothing);
    png_set_IHDR(png, info, width, height, bitDepth, colorType,
                 interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!palette.empty()) {
        std::vector<png_color> colors(palette.size() / 3);
        for (size_t k = 0; k < colors.size(); k++)
            colors[k] = png_color{palette[3 * k], palette[3 * k + 1], palette[3 * k + 2]};
        png_set_PLTE(png, info, colors.data(), int(colors.size()));
    }
    if (!trns.empty()) {
        if (colorType == PNG_COLOR_TYPE_PALETTE) {
            png_set_tRNS(png, info, trns.data(), int(trns.size()), nullptr);
        } else {
            png_color_16 key{};
            if (colorType == PNG_COLOR_TYPE_GRAY) {
                key.gray = uint16_t(trns[0] << 8 | trns[1]);
            } else {
                key.red = uint16_t(trns[0] << 8 | trns[1]);
                key.green = uint16_t(trns[2] << 8 | trns[3]);
                key.blue = uint16_t(trns[4] << 8 | trns[5]);
            }
            png_set_tRNS(png, info, nullptr, 0, &key);
        }
    }
    png_set_filter(png, 0, filters);
    if (level >= 0) png_set_compression_level(png, level);
    png_write_info(png, info);
    size_t rowBytes = png_get_rowbytes(png, info);
    std::vector<png_bytep> rows(height);
    for (int y = 0; y < height; y++)
        rows[y] = const_cast<png_bytep>(samples.data() + size_t(y) * rowBytes);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

bool ZlibInflate(const std::vector<uint8_t> &in, std::vector<uint8_t> *out, bool raw) {
    z_stream zs{};
    if (inflateInit2(&zs, raw ? -15 : 15) != Z_OK) return false;
    out->clear();
    zs.next_in = const_cast<Bytef *>(in.data());
    zs.avail_in = uInt(in.size());
    uint8_t buf[65536];
    int rc;
    do {
        zs.next_out = buf;
        zs.avail_out = sizeof buf;
        rc = inflate(&zs, Z_NO_FLUSH);
        out->insert(out->end(), buf, buf + (sizeof buf - zs.avail_out));
    } while (rc == Z_OK);
    inflateEnd(&zs);
    return rc == Z_STREAM_END;
}

std::vector<uint8_t> ZlibDeflate(const std::vector<uint8_t> &in, int level, int strategy,
                                 bool raw) {
    z_stream zs{};
    deflateInit2(&zs, level, Z_DEFLATED, raw ? -15 : 15, 8, strategy);
    std::vector<uint8_t> out(deflateBound(&zs, uLong(in.size())) + 16);
    zs.next_in = const_cast<Bytef *>(in.data());
    zs.avail_in = uInt(in.size());
    zs.next_out = out.data();
    zs.avail_out = uInt(out.size());
    deflate(&zs, Z_FINISH);
    out.resize(zs.total_out);
    deflateEnd(&zs);
    return out;
}

std::vector<uint8_t> RandomBytes(size_t n, uint32_t seed) {
    std::vector<uint8_t> v(n);
    uint32_t s = seed * 2654435761u + 1;
    for (auto &b : v) {
        s ^= s << 13;
        s ^= s >> 17;
        s ^= s << 5;
        b = uint8_t(s >> 24);
    }
    return v;
}

Image PhotoLikeImage(int width, int height, uint32_t seed) {
    Image img;
    img.width = width;
    img.height = height;
    img.pixels.resize(size_t(width) * height * 4);
    std::vector<uint8_t> noise = RandomBytes(img.pixels.size(), seed);
    for (int y = 0; y < height; y++) {
        for (int x = 0; x < width; x++) {
            size_t i = (size_t(y) * width + x) * 4;
            double fx = double(x) / width, fy = double(y) / height;
            double base[3] = {120 + 100 * std::sin(6.0 * fx + 2.0 * fy),
                              110 + 90 * std::cos(4.0 * fy - 3.0 * fx),
                              100 + 80 * std::sin(9.0 * fx * fy)};
            for (int c = 0; c < 3; c++) {
                int v = int(base[c]) + (noise[i + c] % 9) - 4;
                img.pixels[i + c] = uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
            }
            img.pixels[i + 3] = 255;
        }
    }
    return img;
}

Image FlatImage(int width, int height) {
    Image img;
    img.width = width;
    img.height = height;
    img.pixels.resize(size_t(width) * height * 4);
    const uint8_t colors[4][3] = {{30, 60, 120}, {200, 180, 40}, {250, 250, 250}, {10, 10, 10}};
    for (int y = 0; y < height; y++) {
        for (int x = 0; x < width; x++) {
            int area = (x * 4 / width + y * 3 / height) % 4;
            if (x % 97 < 3 && y % 61 < 40) area = 3;  // thin text-like strokes
            uint8_t *p = &img.pixels[(size_t(y) * width + x) * 4];
            p[0] = colors[area][0];
            p[1] = colors[area][1];
            p[2] = colors[area][2];
            p[3] = 255;
        }
    }
    return img;
}

Image SceneImage(int width, int height) {
    Image img;
    img.width = width;
    img.height = height;
    img.pixels.resize(size_t(width) * height * 4);
    for (int y = 0; y < height; y++) {
        for (int x = 0; x < width; x++) {
            double fx = double(x) / width, fy = double(y) / height;
            // The room: a dark vertical gradient.
            double r = 20 + 40 * fy, g = 25 + 45 * fy, b = 60 + 70 * fy;
            // The table: an ellipse lit from above left.
            double tx = (fx - 0.5) / 0.45, ty = (fy - 0.62) / 0.3;
            if (tx * tx + ty * ty < 1) {
                double light = 0.6 + 0.4 * (1 - tx * tx - ty * ty) - 0.15 * tx;
                r = 30 * light, g = 110 * light, b = 50 * light;
            }
            // Seven tiles with pips along the table.
            int tile = int((fx - 0.15) / 0.1);
            double inTileX = (fx - 0.15) / 0.1 - tile, inTileY = (fy - 0.55) / 0.14;
            if (tile >= 0 && tile < 7 && inTileX > 0.1 && inTileX < 0.9 && inTileY > 0 &&
                inTileY < 1) {
                double shade = 235 - 40 * inTileY;
                r = g = b = shade;
                double px = inTileX * 3 - 1.5, py = inTileY * 6 - 1.5 - (inTileY > 0.5 ? 3 : 0);
                if ((tile + (inTileY > 0.5)) % 3 && px * px + py * py < 0.1) r = g = b = 15;
            }
            uint8_t *p = &img.pixels[(size_t(y) * width + x) * 4];
            p[0] = uint8_t(r), p[1] = uint8_t(g), p[2] = uint8_t(b), p[3] = 255;
        }
    }
    return img;
}
