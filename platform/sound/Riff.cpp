// RIFF reading over a plain file. Every chunk found is checked against its
// parent and the file's size, so a damaged header never sends a reader past
// the data that is there.
#include "platform/Riff.h"
#include "platform/Faults.h"
#include "platform/Files.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

struct MmioFile {
    int fd;
    int64_t size;
    int64_t position;
};

namespace {

bool ReadAt(MmioFile* f, int64_t at, void* buffer, size_t bytes) {
    size_t done = 0;
    while (done < bytes) {
        ssize_t n = pread(f->fd, static_cast<char*>(buffer) + done, bytes - done, at + done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

uint32_t Le32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

} // namespace

MmioFile* mmioOpen(const char* name, uint32_t, Result* result) {
    Result r;
    if (FaultHit("mmioOpen", &r)) {
        if (result)
            *result = r;
        return nullptr;
    }
    char path[4096];
    if (!name || !ResolvePath(name, path, sizeof(path))) {
        if (result)
            *result = kInvalidParam;
        return nullptr;
    }
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    struct stat st;
    if (fd < 0 || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (result)
            *result = fd < 0 && errno == ENOENT ? kNotFound : kAccessDenied;
        if (fd >= 0)
            close(fd);
        return nullptr;
    }
    if (result)
        *result = kOk;
    // Offsets in chunk records are 32-bit; what lies beyond is out of reach.
    int64_t size = st.st_size > INT32_MAX ? INT32_MAX : st.st_size;
    return new MmioFile{fd, size, 0};
}

uint32_t mmioDescend(MmioFile* file, ChunkInfo* ck, const ChunkInfo* parent, uint32_t flags) {
    if (!file || !ck)
        return MMIOERR_CHUNKNOTFOUND;
    if (FaultHit("mmioDescend"))
        return MMIOERR_CHUNKNOTFOUND;
    int64_t end = file->size;
    if (parent) {
        int64_t parentEnd = int64_t(parent->dataOffset) + parent->cksize;
        if (parentEnd < end)
            end = parentEnd;
    }
    int64_t at = file->position;
    for (;;) {
        uint8_t header[12];
        if (at + 8 > end || !ReadAt(file, at, header, 8))
            return MMIOERR_CHUNKNOTFOUND;
        ChunkInfo found{};
        found.ckid = Le32(header);
        found.cksize = Le32(header + 4);
        found.dataOffset = uint32_t(at + 8);
        if (int64_t(found.dataOffset) + found.cksize > end)
            return MMIOERR_CHUNKNOTFOUND; // runs past its parent or the file
        bool form = found.ckid == FOURCC_RIFF || found.ckid == FOURCC_LIST;
        if (form) {
            if (found.cksize < 4 || !ReadAt(file, at + 8, header + 8, 4))
                return MMIOERR_CHUNKNOTFOUND;
            found.fccType = Le32(header + 8);
        }
        bool match;
        if (flags & MMIO_FINDRIFF)
            match = found.ckid == FOURCC_RIFF && found.fccType == ck->fccType;
        else if (flags & MMIO_FINDLIST)
            match = found.ckid == FOURCC_LIST && found.fccType == ck->fccType;
        else if (flags & MMIO_FINDCHUNK)
            match = found.ckid == ck->ckid;
        else
            match = true;
        if (match) {
            *ck = found;
            file->position = found.dataOffset + (form ? 4 : 0);
            return 0;
        }
        at = int64_t(found.dataOffset) + found.cksize + (found.cksize & 1);
    }
}

uint32_t mmioAscend(MmioFile* file, ChunkInfo* ck, uint32_t) {
    if (!file || !ck)
        return MMIOERR_CANNOTSEEK;
    if (FaultHit("mmioAscend"))
        return MMIOERR_CANNOTSEEK;
    int64_t next = int64_t(ck->dataOffset) + ck->cksize + (ck->cksize & 1);
    // A pad byte missing at the very end of the file is no harm.
    if (next > file->size + 1)
        return MMIOERR_CANNOTSEEK;
    file->position = next > file->size ? file->size : next;
    return 0;
}

int32_t mmioRead(MmioFile* file, void* buffer, int32_t bytes) {
    if (!file || bytes < 0 || (bytes && !buffer))
        return -1;
    if (FaultHit("mmioRead"))
        return -1;
    int64_t left = file->size - file->position;
    int32_t take = left < bytes ? int32_t(left < 0 ? 0 : left) : bytes;
    if (take && !ReadAt(file, file->position, buffer, size_t(take)))
        return -1;
    file->position += take;
    return take;
}

int32_t mmioSeek(MmioFile* file, int32_t offset, int origin) {
    if (!file)
        return -1;
    if (FaultHit("mmioSeek"))
        return -1;
    int64_t base = origin == SEEK_FROM_START     ? 0
                   : origin == SEEK_FROM_CURRENT ? file->position
                   : origin == SEEK_FROM_END     ? file->size
                                                 : -1;
    if (base < 0)
        return -1;
    int64_t to = base + offset;
    if (to < 0 || to > file->size)
        return -1;
    file->position = to;
    return int32_t(to);
}

uint32_t mmioClose(MmioFile* file, uint32_t) {
    if (!file)
        return MMIOERR_CANNOTCLOSE;
    if (FaultHit("mmioClose"))
        return MMIOERR_CANNOTCLOSE;
    close(file->fd);
    delete file;
    return 0;
}

} // namespace platform
