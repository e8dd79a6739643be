// PNG files on Windows, through the Windows Imaging Component.
#include "tools/render/PngIo.h"

#include <windows.h>
#include <wincodec.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <vector>

#include "tools/render/ValueParsing.h"

namespace horavex::cli {

namespace {

namespace fs = std::filesystem;

// Releases a COM interface when it goes out of scope.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() {
        if (p_ != nullptr) p_->Release();
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    T** out() { return &p_; }
    T* operator->() const { return p_; }
    T* get() const { return p_; }

private:
    T* p_ = nullptr;
};

// COM for this thread, for the length of one call; a thread that has it
// already keeps its own set-up.
class ComScope {
public:
    ComScope() : result_(CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    bool usable() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }

private:
    HRESULT result_;
};

std::string hresultText(const char* what, HRESULT result) {
    char text[96];
    std::snprintf(text, sizeof text, "%s (error 0x%08lx)", what, static_cast<unsigned long>(result));
    return text;
}

bool makeFactory(ComPtr<IWICImagingFactory>& factory, std::string& error) {
    const HRESULT result = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                            IID_IWICImagingFactory, reinterpret_cast<void**>(factory.out()));
    if (FAILED(result)) {
        error = hresultText("no imaging component", result);
        return false;
    }
    return true;
}

// Whether the source keeps more than 8 bits per channel.
bool hasDeepChannels(IWICImagingFactory* factory, const WICPixelFormatGUID& format) {
    ComPtr<IWICComponentInfo> component;
    if (FAILED(factory->CreateComponentInfo(format, component.out()))) return false;
    ComPtr<IWICPixelFormatInfo> info;
    if (FAILED(component->QueryInterface(IID_IWICPixelFormatInfo, reinterpret_cast<void**>(info.out())))) {
        return false;
    }
    UINT bits = 0;
    UINT channels = 0;
    if (FAILED(info->GetBitsPerPixel(&bits)) || FAILED(info->GetChannelCount(&channels)) || channels == 0) {
        return false;
    }
    return bits / channels > 8;
}

}  // namespace

void RgbaImage::resize(int w, int h, int depth) {
    if (w < 0 || h < 0 || w > kMaxImageSide || h > kMaxImageSide) throw std::length_error("image size out of range");
    width = w;
    height = h;
    bitDepth = depth;
    samples.assign(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4, 0);
}

bool readPng(const std::string& path, RgbaImage& image, std::string& error) {
    std::error_code exists;
    if (!std::filesystem::is_regular_file(path, exists)) {
        error = "No such file or directory";
        return false;
    }
    ComScope com;
    ComPtr<IWICImagingFactory> factory;
    if (!com.usable() || !makeFactory(factory, error)) return false;
    const std::wstring widePath = std::filesystem::path(path).wstring();
    ComPtr<IWICBitmapDecoder> decoder;
    if (FAILED(factory->CreateDecoderFromFilename(widePath.c_str(), nullptr, GENERIC_READ,
                                                  WICDecodeMetadataCacheOnDemand, decoder.out()))) {
        error = "not a PNG file";
        return false;
    }
    GUID container{};
    if (FAILED(decoder->GetContainerFormat(&container)) || container != GUID_ContainerFormatPng) {
        error = "not a PNG file";
        return false;
    }
    ComPtr<IWICBitmapFrameDecode> frame;
    UINT width = 0;
    UINT height = 0;
    WICPixelFormatGUID sourceFormat{};
    if (FAILED(decoder->GetFrame(0, frame.out())) || FAILED(frame->GetSize(&width, &height)) ||
        FAILED(frame->GetPixelFormat(&sourceFormat))) {
        error = "damaged PNG";
        return false;
    }
    if (width == 0 || height == 0 || width > static_cast<UINT>(kMaxImageSide) ||
        height > static_cast<UINT>(kMaxImageSide)) {
        error = "unsupported PNG layout";
        return false;
    }
    const bool deep = hasDeepChannels(factory.get(), sourceFormat);
    const WICPixelFormatGUID wanted = deep ? GUID_WICPixelFormat64bppRGBA : GUID_WICPixelFormat32bppBGRA;
    // A source already in the wanted layout is read as it is (Wine's
    // converter does not take 64-bit RGBA at all).
    ComPtr<IWICFormatConverter> converter;
    IWICBitmapSource* source = frame.get();
    if (sourceFormat != wanted) {
        if (FAILED(factory->CreateFormatConverter(converter.out())) ||
            FAILED(converter->Initialize(frame.get(), wanted, WICBitmapDitherTypeNone, nullptr, 0.0,
                                         WICBitmapPaletteTypeCustom))) {
            error = "unsupported PNG layout";
            return false;
        }
        source = converter.get();
    }
    image.resize(static_cast<int>(width), static_cast<int>(height), deep ? 16 : 8);
    const std::size_t count = image.samples.size();
    if (deep) {
        // Little-endian 16-bit samples, which is what the samples hold.
        const UINT stride = width * 8;
        if (FAILED(source->CopyPixels(nullptr, stride, static_cast<UINT>(count * 2),
                                         reinterpret_cast<BYTE*>(image.samples.data())))) {
            error = "damaged PNG";
            return false;
        }
    } else {
        std::vector<BYTE> bytes(count);
        if (FAILED(source->CopyPixels(nullptr, width * 4, static_cast<UINT>(count), bytes.data()))) {
            error = "damaged PNG";
            return false;
        }
        // Blue, green, red, alpha: the order every converter of the component offers.
        for (std::size_t i = 0; i < count; i += 4) {
            image.samples[i] = bytes[i + 2];
            image.samples[i + 1] = bytes[i + 1];
            image.samples[i + 2] = bytes[i];
            image.samples[i + 3] = bytes[i + 3];
        }
    }
    return true;
}

namespace {

bool writeOnce(const std::string& path, const RgbaImage& image, bool swapDeepBytes, std::string& error) {
    if (image.width < 1 || image.height < 1 || (image.bitDepth != 8 && image.bitDepth != 16) ||
        image.samples.size() != static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 4) {
        error = "nothing to write";
        return false;
    }
    const bool deep = image.bitDepth == 16;
    // 8-bit pictures go in as blue, green, red, alpha, the order every PNG
    // encoder of the component takes.
    const std::size_t bytesPerSample = deep ? 2 : 1;
    const std::size_t rowBytes = static_cast<std::size_t>(image.width) * 4 * bytesPerSample;
    std::vector<BYTE> bytes(rowBytes * static_cast<std::size_t>(image.height));
    for (std::size_t i = 0; i < image.samples.size(); i += 4) {
        const uint16_t* s = &image.samples[i];
        if (deep) {
            for (std::size_t c = 0; c < 4; ++c) {
                const uint16_t v = swapDeepBytes ? static_cast<uint16_t>((s[c] >> 8) | (s[c] << 8)) : s[c];
                bytes[2 * (i + c)] = static_cast<BYTE>(v & 0xFF);
                bytes[2 * (i + c) + 1] = static_cast<BYTE>(v >> 8);
            }
        } else {
            const uint16_t order[4] = {s[2], s[1], s[0], s[3]};
            for (std::size_t c = 0; c < 4; ++c) bytes[i + c] = static_cast<BYTE>(order[c] > 255 ? 255 : order[c]);
        }
    }

    ComScope com;
    ComPtr<IWICImagingFactory> factory;
    if (!com.usable() || !makeFactory(factory, error)) return false;
    const std::wstring widePath = std::filesystem::path(path).wstring();
    bool written = false;
    {
        ComPtr<IWICStream> stream;
        ComPtr<IWICBitmapEncoder> encoder;
        ComPtr<IWICBitmapFrameEncode> frame;
        HRESULT result = factory->CreateStream(stream.out());
        if (SUCCEEDED(result)) result = stream->InitializeFromFilename(widePath.c_str(), GENERIC_WRITE);
        if (FAILED(result)) {
            error = hresultText("cannot create the file", result);
            return false;
        }
        WICPixelFormatGUID format = deep ? GUID_WICPixelFormat64bppRGBA : GUID_WICPixelFormat32bppBGRA;
        result = factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.out());
        if (SUCCEEDED(result)) result = encoder->Initialize(stream.get(), WICBitmapEncoderNoCache);
        if (SUCCEEDED(result)) result = encoder->CreateNewFrame(frame.out(), nullptr);
        if (SUCCEEDED(result)) result = frame->Initialize(nullptr);
        if (SUCCEEDED(result)) result = frame->SetSize(static_cast<UINT>(image.width), static_cast<UINT>(image.height));
        if (SUCCEEDED(result)) result = frame->SetPixelFormat(&format);
        if (SUCCEEDED(result) &&
            format != (deep ? GUID_WICPixelFormat64bppRGBA : GUID_WICPixelFormat32bppBGRA)) {
            result = WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT;
        }
        if (SUCCEEDED(result)) {
            result = frame->WritePixels(static_cast<UINT>(image.height), static_cast<UINT>(rowBytes),
                                        static_cast<UINT>(bytes.size()), bytes.data());
        }
        if (SUCCEEDED(result)) result = frame->Commit();
        if (SUCCEEDED(result)) result = encoder->Commit();
        written = SUCCEEDED(result);
        if (!written) error = hresultText("cannot write the PNG", result);
    }
    return written;
}

}  // namespace

bool writePng(const std::string& path, const RgbaImage& image, std::string& error, int /*level*/) {
    // The Windows Imaging Component offers no zlib level: `level` is not used.
    // Complete or not at all: written beside the target under a name of its
    // own and moved into place at the end; only that file is ever removed.
    const fs::path target = fs::path(path);
    std::error_code status;
    if (path.empty() || !target.has_filename()) {
        error = "not a file name";
        return false;
    }
    if (fs::exists(fs::symlink_status(target, status)) && !fs::is_regular_file(fs::symlink_status(target, status))) {
        error = "it exists and is not a regular file; it is left alone";
        return false;
    }
    static std::atomic<unsigned> counter{0};
    const std::wstring unique =
        L"." + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter) + L".tmp";
    // NTFS takes names of up to 255 UTF-16 units: a target name near that
    // length is shortened in its temporary's name, never refused.
    constexpr std::size_t kLongestName = 255;
    std::wstring name = target.filename().wstring();
    if (1 + name.size() + unique.size() > kLongestName) {
        name.resize(kLongestName - 1 - unique.size());
    }
    const fs::path temporary = target.parent_path() / (L"." + name + unique);
    const std::string temporaryName = temporary.string();
    bool written = writeOnce(temporaryName, image, false, error);
    if (written && image.bitDepth == 16) {
        // Windows' PNG encoder takes 16-bit samples in the machine's order, as
        // its decoder gives them; Wine's takes them in the file's. The file is
        // read back once and written again the other way if its samples came
        // out byte-swapped.
        RgbaImage check;
        std::string ignored;
        if (readPng(temporaryName, check, ignored) && check.samples != image.samples) {
            written = writeOnce(temporaryName, image, true, error);
        }
    }
    if (written && MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == 0) {
        error = "cannot put the file in place (error " + std::to_string(GetLastError()) + ")";
        written = false;
    }
    if (!written) {
        fs::remove(temporary, status);
    }
    return written;
}

}  // namespace horavex::cli
