#include "image/ImageInformation.h"

#include "image/ImageStore.h"

#include <filesystem>

const char* ImageFormatName(int typeCode) {
    switch (typeCode) {
    case ImageStore::kTypeBmp:
        return "BMP";
    case ImageStore::kTypeGif:
        return "GIF";
    case ImageStore::kTypePcx:
        return "PCX";
    case ImageStore::kTypeTga:
        return "TGA";
    case ImageStore::kTypeJpeg:
        return "JPEG";
    case ImageStore::kTypeTiff:
        return "TIFF";
    case ImageStore::kTypePng:
        return "PNG";
    case ImageStore::kTypeWebp:
        return "WebP";
    case ImageStore::kTypePdf:
        return "PDF";
    default:
        return "Unknown";
    }
}

std::string FormatImageInformation(const ImageStore& store, const std::string& imagePath,
                                   bool imageModified) {
    std::string folder;
    std::string name;
    if (!imagePath.empty()) {
        std::error_code error;
        std::filesystem::path absolute = std::filesystem::absolute(imagePath, error);
        if (error) {
            absolute = imagePath;
        }
        folder = absolute.parent_path().string();
        name = absolute.filename().string();
    }
    const ImageStore::Info info = store.GetInfo();
    const std::string colours =
        info.bitCount == 24 ? std::string("16 million") : std::to_string(info.colourCount);
    std::string text;
    text += "File Path: " + folder + "\r\n";
    text += "File Name: " + name + "\r\n";
    text += std::string("File Format: ") + ImageFormatName(store.GetTypeCode()) + "\r\n";
    text += "Image Width: " + std::to_string(info.width) + "\r\n";
    text += "Image Height: " + std::to_string(info.height) + "\r\n";
    text += "Number of Planes: " + std::to_string(info.planes) + "\r\n";
    text += "Bit Depth: " + std::to_string(info.bitCount) + "\r\n";
    text += "Number of Colors: " + colours + "\r\n";
    text += std::string("Image Modified: ") + (imageModified ? "Yes" : "No") + "\r\n";
    return text;
}
