// Makes the benchmark corpus with qpdf: one large PDF whose pages carry big
// uncompressed image streams, and folders of many one-page PDFs.
//
//   lockleaf-bench-corpus large FILE MEGABYTES
//   lockleaf-bench-corpus many DIR COUNT [FILES_PER_FOLDER]
//
// With FILES_PER_FOLDER the files are spread over numbered subfolders (a tree);
// without it they all go into DIR. Existing files are replaced.

#include <qpdf/Buffer.hh>
#include <qpdf/Pl_Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <random>
#include <string>

namespace
{

// Image bytes made on demand while qpdf writes, so the generator itself never
// holds the whole file in memory.
class NoiseProvider final : public QPDFObjectHandle::StreamDataProvider
{
public:
    explicit NoiseProvider(size_t bytes) : m_bytes(bytes) {}
    void provideStreamData(QPDFObjGen const &og, Pipeline *pipeline) override
    {
        std::mt19937 rng(static_cast<unsigned>(og.getObj()));
        std::string chunk(1 << 16, '\0');
        for (size_t left = m_bytes; left > 0;) {
            const size_t n = std::min(left, chunk.size());
            for (size_t i = 0; i < n; i += 4) {
                const unsigned v = rng();
                std::memcpy(&chunk[i], &v, std::min<size_t>(4, n - i));
            }
            pipeline->write(reinterpret_cast<unsigned char const *>(chunk.data()), n);
            left -= n;
        }
        pipeline->finish();
    }

private:
    size_t m_bytes;
};

QPDFObjectHandle textPage(QPDF &pdf, const std::string &text, QPDFObjectHandle font)
{
    const std::string content = "BT /F1 24 Tf 72 720 Td (" + text + ") Tj ET\n";
    QPDFObjectHandle page =
        pdf.makeIndirectObject(QPDFObjectHandle::parse("<< /Type /Page /MediaBox [0 0 612 792] >>"));
    QPDFObjectHandle fonts = QPDFObjectHandle::newDictionary();
    fonts.replaceKey("/F1", font);
    QPDFObjectHandle resources = QPDFObjectHandle::newDictionary();
    resources.replaceKey("/Font", fonts);
    page.replaceKey("/Resources", resources);
    page.replaceKey("/Contents", QPDFObjectHandle::newStream(&pdf, content));
    return page;
}

QPDFObjectHandle helvetica(QPDF &pdf)
{
    return pdf.makeIndirectObject(QPDFObjectHandle::parse(
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>"));
}

int makeLarge(const std::string &file, long megabytes)
{
    // 2048 x 1366 RGB, 8 bits: about 8 MiB of raw samples per page.
    constexpr int width = 2048;
    constexpr int height = 1366;
    constexpr size_t imageBytes = size_t(width) * height * 3;
    const long pages = std::max(1L, (megabytes * 1024 * 1024 + long(imageBytes) - 1) / long(imageBytes));

    QPDF pdf;
    pdf.emptyPDF();
    auto provider = std::make_shared<NoiseProvider>(imageBytes);
    QPDFPageDocumentHelper pages_(pdf);
    for (long i = 0; i < pages; ++i) {
        QPDFObjectHandle image = QPDFObjectHandle::newStream(&pdf);
        image.replaceDict(QPDFObjectHandle::parse(
            "<< /Type /XObject /Subtype /Image /Width " + std::to_string(width) + " /Height " +
            std::to_string(height) + " /ColorSpace /DeviceRGB /BitsPerComponent 8 >>"));
        image.replaceStreamData(provider, QPDFObjectHandle::newNull(), QPDFObjectHandle::newNull());
        QPDFObjectHandle xobjects = QPDFObjectHandle::newDictionary();
        xobjects.replaceKey("/Im1", image);
        QPDFObjectHandle resources = QPDFObjectHandle::newDictionary();
        resources.replaceKey("/XObject", xobjects);
        QPDFObjectHandle page =
            pdf.makeIndirectObject(QPDFObjectHandle::parse("<< /Type /Page /MediaBox [0 0 612 792] >>"));
        page.replaceKey("/Resources", resources);
        page.replaceKey("/Contents", QPDFObjectHandle::newStream(&pdf, "q 612 0 0 408 0 192 cm /Im1 Do Q\n"));
        pages_.addPage(QPDFPageObjectHelper(page), false);
    }
    QPDFObjectHandle info = QPDFObjectHandle::newDictionary();
    info.replaceKey("/Title", QPDFObjectHandle::newUnicodeString("Benchmark scans"));
    info.replaceKey("/Author", QPDFObjectHandle::newUnicodeString("Lockleaf bench"));
    info.replaceKey("/Subject", QPDFObjectHandle::newUnicodeString("Large uncompressed images"));
    info.replaceKey("/Creator", QPDFObjectHandle::newUnicodeString("lockleaf-bench-corpus"));
    pdf.getTrailer().replaceKey("/Info", pdf.makeIndirectObject(info));

    QPDFWriter writer(pdf, file.c_str());
    writer.setStaticID(true);
    writer.setStreamDataMode(qpdf_s_uncompress);
    writer.write();
    std::cout << file << ": " << pages << " pages\n";
    return 0;
}

std::string onePagePdf(int index)
{
    QPDF pdf;
    pdf.emptyPDF();
    QPDFPageDocumentHelper(pdf).addPage(
        QPDFPageObjectHelper(textPage(pdf, "Benchmark page " + std::to_string(index), helvetica(pdf))),
        false);
    QPDFWriter writer(pdf);
    writer.setOutputMemory();
    writer.setStaticID(true);
    writer.write();
    std::unique_ptr<Buffer> buffer(writer.getBuffer());
    return std::string(reinterpret_cast<const char *>(buffer->getBuffer()), buffer->getSize());
}

int makeMany(const std::filesystem::path &dir, long count, long perFolder)
{
    std::filesystem::create_directories(dir);
    char name[64];
    for (long i = 0; i < count; ++i) {
        std::filesystem::path folder = dir;
        if (perFolder > 0) {
            std::snprintf(name, sizeof name, "part%04ld", i / perFolder);
            folder /= name;
            if (i % perFolder == 0)
                std::filesystem::create_directories(folder);
        }
        std::snprintf(name, sizeof name, "doc%06ld.pdf", i);
        // Each file is its own document (its own text), made by qpdf.
        const std::string bytes = onePagePdf(static_cast<int>(i));
        std::ofstream out(folder / name, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            std::cerr << "cannot write " << (folder / name) << "\n";
            return 1;
        }
    }
    std::cout << dir << ": " << count << " files\n";
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    try {
        const std::string what = argc > 1 ? argv[1] : "";
        if (what == "large" && argc == 4)
            return makeLarge(argv[2], std::atol(argv[3]));
        if (what == "many" && (argc == 4 || argc == 5))
            return makeMany(argv[2], std::atol(argv[3]), argc == 5 ? std::atol(argv[4]) : 0);
    } catch (const std::exception &e) {
        std::cerr << "lockleaf-bench-corpus: " << e.what() << "\n";
        return 1;
    }
    std::cerr << "usage: lockleaf-bench-corpus large FILE MEGABYTES\n"
                 "       lockleaf-bench-corpus many DIR COUNT [FILES_PER_FOLDER]\n";
    return 2;
}
