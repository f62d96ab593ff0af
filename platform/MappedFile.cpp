#include "platform/Platform.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

bool mapFileReadOnly(const char* path, MappedFile& file)
{
    file = MappedFile{};
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info {};
    bool ok = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0;
    if (ok) {
        void* view = mmap(nullptr, static_cast<std::size_t>(info.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
        ok = view != MAP_FAILED;
        if (ok) {
            file.data = static_cast<const unsigned char*>(view);
            file.size = static_cast<std::size_t>(info.st_size);
        }
    }
    close(fd);  // the mapping stays valid without the descriptor
    return ok;
}

void unmapFile(MappedFile& file)
{
    if (file.data)
        munmap(const_cast<unsigned char*>(file.data), file.size);
    file = MappedFile{};
}
