// ByteStream over a stdio FILE. A stream made from an open file never closes it.
#pragma once

#include "ByteStream.h"

#include <cstdio>

class FileStream : public ByteStream {
public:
    explicit FileStream(std::FILE* file);
    ~FileStream() override;

    bool Close() override;
    std::size_t Read(void* buffer, std::size_t itemSize, std::size_t itemCount) override;
    std::size_t Write(const void* buffer, std::size_t itemSize, std::size_t itemCount) override;
    bool Seek(std::int32_t offset, int origin) override;
    std::int32_t Tell() override;
    std::int32_t Size() override;
    bool Flush() override;
    bool Eof() override;
    std::int32_t Error() override;
    bool PutC(std::uint8_t byte) override;
    int GetC() override;

private:
    std::FILE* file;
    bool ownsFile;
};
