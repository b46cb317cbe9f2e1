// Decoding a 24-megapixel PNG and JPEG through the image store against the library's own
// decode of the same bytes to memory, in the same run; and rendering a PDF page at 300 dpi
// against pdftoppm -r 300 of the same page (a whole process, so its start-up counts too).
#include "image/ImageStore.h"
#include "image/PdfDocument.h"

#include <benchmark/benchmark.h>

// jpeglib.h needs size_t and FILE declared first.
#include <cstdio>
#include <jpeglib.h>
#include <png.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;

using Bytes = std::vector<std::uint8_t>;

// A photographed page: smooth shading with a little noise and a few dark lines.
const Bytes& Picture() {
    static const Bytes rgb = [] {
        Bytes pixels(static_cast<std::size_t>(kWidth) * kHeight * 3);
        std::uint32_t noise = 12345;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                noise = noise * 1664525u + 1013904223u;
                const bool line = x % 500 == 0 || y % 400 == 0 || (x - y / 2) % 1700 == 0;
                const int base = line ? 30 : 200 + x * 40 / kWidth + (noise >> 29);
                std::uint8_t* p = &pixels[(static_cast<std::size_t>(y) * kWidth + x) * 3];
                p[0] = static_cast<std::uint8_t>(base);
                p[1] = static_cast<std::uint8_t>(base - (line ? 0 : y * 20 / kHeight));
                p[2] = static_cast<std::uint8_t>(base - 10);
            }
        }
        return pixels;
    }();
    return rgb;
}

const Bytes& PngFile() {
    static const Bytes file = [] {
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        image.width = kWidth;
        image.height = kHeight;
        image.format = PNG_FORMAT_RGB;
        png_alloc_size_t size = 0;
        png_image_write_to_memory(&image, nullptr, &size, 0, Picture().data(), 0, nullptr);
        Bytes bytes(size);
        png_image_write_to_memory(&image, bytes.data(), &size, 0, Picture().data(), 0, nullptr);
        bytes.resize(size);
        return bytes;
    }();
    return file;
}

const Bytes& JpegFile() {
    static const Bytes file = [] {
        jpeg_compress_struct info{};
        jpeg_error_mgr errors{};
        info.err = jpeg_std_error(&errors);
        jpeg_create_compress(&info);
        unsigned char* buffer = nullptr;
        unsigned long size = 0;
        jpeg_mem_dest(&info, &buffer, &size);
        info.image_width = kWidth;
        info.image_height = kHeight;
        info.input_components = 3;
        info.in_color_space = JCS_RGB;
        jpeg_set_defaults(&info);
        jpeg_set_quality(&info, 90, TRUE);
        jpeg_start_compress(&info, TRUE);
        while (info.next_scanline < info.image_height) {
            JSAMPROW row = const_cast<std::uint8_t*>(Picture().data()) +
                           static_cast<std::size_t>(info.next_scanline) * kWidth * 3;
            jpeg_write_scanlines(&info, &row, 1);
        }
        jpeg_finish_compress(&info);
        jpeg_destroy_compress(&info);
        Bytes bytes(buffer, buffer + size);
        std::free(buffer);
        return bytes;
    }();
    return file;
}

void BM_PngLibraryToMemory(benchmark::State& state) {
    const Bytes& file = PngFile();
    Bytes rgb(static_cast<std::size_t>(kWidth) * kHeight * 3);
    for (auto _ : state) {
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        png_image_begin_read_from_memory(&image, file.data(), file.size());
        image.format = PNG_FORMAT_BGR;
        png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr);
        benchmark::DoNotOptimize(rgb.data());
    }
}

void BM_PngImageStore(benchmark::State& state) {
    const Bytes& file = PngFile();
    for (auto _ : state) {
        ImageStore store;
        benchmark::DoNotOptimize(store.LoadBytes(file.data(), file.size()));
    }
}

void BM_JpegLibraryToMemory(benchmark::State& state) {
    const Bytes& file = JpegFile();
    Bytes bgr(static_cast<std::size_t>(kWidth) * kHeight * 3);
    for (auto _ : state) {
        jpeg_decompress_struct info{};
        jpeg_error_mgr errors{};
        info.err = jpeg_std_error(&errors);
        jpeg_create_decompress(&info);
        jpeg_mem_src(&info, file.data(), file.size());
        jpeg_read_header(&info, TRUE);
        info.out_color_space = JCS_EXT_BGR;
        jpeg_start_decompress(&info);
        while (info.output_scanline < info.output_height) {
            JSAMPROW row = bgr.data() + static_cast<std::size_t>(info.output_scanline) * kWidth * 3;
            jpeg_read_scanlines(&info, &row, 1);
        }
        jpeg_finish_decompress(&info);
        jpeg_destroy_decompress(&info);
        benchmark::DoNotOptimize(bgr.data());
    }
}

void BM_JpegImageStore(benchmark::State& state) {
    const Bytes& file = JpegFile();
    for (auto _ : state) {
        ImageStore store;
        benchmark::DoNotOptimize(store.LoadBytes(file.data(), file.size()));
    }
}

void BM_PdfPageAt300Dpi(benchmark::State& state) {
    const std::unique_ptr<PdfDocument> pdf = PdfDocument::OpenFile(TRACERY_BENCH_PDF);
    for (auto _ : state) {
        PackedBitmap page;
        benchmark::DoNotOptimize(pdf && pdf->RenderPage(2, 300, page));
    }
}

void BM_PdftoppmAt300Dpi(benchmark::State& state) {
    const std::string command =
        std::string("pdftoppm -r 300 -f 2 -l 2 '") + TRACERY_BENCH_PDF + "' > /dev/null 2>&1";
    for (auto _ : state) {
        benchmark::DoNotOptimize(std::system(command.c_str()));
    }
}

BENCHMARK(BM_PngLibraryToMemory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngImageStore)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegLibraryToMemory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegImageStore)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PdfPageAt300Dpi)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PdftoppmAt300Dpi)->Unit(benchmark::kMillisecond);

} // namespace
