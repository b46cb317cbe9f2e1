#pragma once

#include <string>

class ImageStore;

// The text of the Image Information dialog, lines ending in "\r\n": the folder and the
// file name of the image path (the folder made absolute, without the final separator;
// both empty for an empty path), the format by type code, the size, planes, depth, the
// number of colours ("16 million" at 24 bits) and whether the image was modified.
std::string FormatImageInformation(const ImageStore& store, const std::string& imagePath,
                                   bool imageModified);

// "BMP", "GIF", "PCX", "TGA", "JPEG", "TIFF", or "Unknown".
const char* ImageFormatName(int typeCode);
