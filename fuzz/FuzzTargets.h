// What each fuzz target does with one input. The libFuzzer programs and the crasher replay run
// the same code, so an input that ever failed keeps being checked in every build.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

enum class ImageFormat : std::uint32_t;

using FuzzTarget = std::function<void(const std::uint8_t* data, std::size_t size)>;

// The target named by a fuzzer or a crasher folder: a format's name from the codec table
// ("bmp", "gif" …), "any" (format found by content), "exif" or "regdoc"; empty when unknown.
FuzzTarget FindFuzzTarget(std::string_view name);

// The parts: images through the dispatcher, the Exif reader and report, the settings file reader.
void FuzzImage(ImageFormat format, const std::uint8_t* data, std::size_t size);
void FuzzExif(const std::uint8_t* data, std::size_t size);
void FuzzSettingsDocument(const std::uint8_t* data, std::size_t size);

// Settings that keep one run cheap (a lower picture ceiling); call once before the first input.
void PrepareFuzzing();
