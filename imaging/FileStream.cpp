#include "FileStream.h"

FileStream::FileStream(std::FILE* handle) : file(handle), ownsFile(handle == nullptr) {}

FileStream::~FileStream()
{
    Close();
}

bool FileStream::Close()
{
    if (!file || !ownsFile) return true;
    const int result = std::fclose(file);
    file = nullptr;
    return result == 0;
}

std::size_t FileStream::Read(void* buffer, std::size_t itemSize, std::size_t itemCount)
{
    if (!file || !buffer) return 0;
    return std::fread(buffer, itemSize, itemCount, file);
}

std::size_t FileStream::Write(const void* buffer, std::size_t itemSize, std::size_t itemCount)
{
    if (!file || !buffer) return 0;
    return std::fwrite(buffer, itemSize, itemCount, file);
}

bool FileStream::Seek(std::int32_t offset, int origin)
{
    if (!file) return false;
    return std::fseek(file, offset, origin) == 0;
}

std::int32_t FileStream::Tell()
{
    if (!file) return 0;
    return std::int32_t(std::ftell(file));
}

std::int32_t FileStream::Size()
{
    if (!file) return -1;
    const long position = std::ftell(file);
    std::fseek(file, 0, SEEK_END);
    const long size = std::ftell(file);
    std::fseek(file, position, SEEK_SET);
    return std::int32_t(size);
}

bool FileStream::Flush()
{
    if (!file) return false;
    return std::fflush(file) == 0;
}

bool FileStream::Eof()
{
    if (!file) return true;
    return std::feof(file) != 0;
}

std::int32_t FileStream::Error()
{
    if (!file) return -1;
    return std::ferror(file);
}

bool FileStream::PutC(std::uint8_t byte)
{
    if (!file) return false;
    return std::fputc(byte, file) == byte;
}

int FileStream::GetC()
{
    if (!file) return -1;
    return std::getc(file);
}
