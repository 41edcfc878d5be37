// Saving into a folder on Linux: names in UTF-8 whatever the locale, files by their byte paths.
#include "app/FolderFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>

#include "core/CodePage.h"

bool NameFits(const std::string& name) { return AnsiToUtf8(name).size() <= NAME_MAX; }

std::string PathInDirectory(const std::string& dir, const std::string& name)
{
    // File names are UTF-8 here, whatever the locale.
    return dir + (!dir.empty() && dir.back() == '/' ? "" : "/") + AnsiToUtf8(name);
}

std::string WriteTemporary(const std::string& dir, const std::vector<uint8_t>& bytes, int32_t time)
{
    std::string path = PathInDirectory(dir, ".zvx-XXXXXX");
    const int fd = mkostemp(&path[0], O_CLOEXEC);
    if (fd < 0) return "";
    bool ok = true;
    for (size_t done = 0; ok && done < bytes.size();) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) done += (size_t)n;
        else ok = n < 0 && errno == EINTR;
    }
    const struct timespec times[2] = {{0, UTIME_OMIT}, {(time_t)time, 0}};
    if (ok && time != 0) futimens(fd, times);
    // The mode any new file gets: mkostemp's 0600 would hide it from the user's other tools.
    const mode_t mask = umask(0);
    umask(mask);
    ok = ok && fchmod(fd, 0666 & ~mask) == 0 && fsync(fd) == 0;
    if (close(fd) != 0) ok = false;
    if (!ok) unlink(path.c_str());
    return ok ? path : "";
}

namespace {

// The new name survives a crash only once its folder is on disk too.
bool SyncFolderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = fsync(fd) == 0 || errno == EINVAL;  // some file systems cannot sync a folder
    close(fd);
    return ok;
}

}  // namespace

PlaceResult PlaceFile(const std::string& temporary, const std::string& path)
{
    if (renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0) {
        SyncFolderOf(path);
        return PlaceResult::Placed;
    }
    if (errno == EEXIST) return PlaceResult::Exists;
    if (errno != EINVAL && errno != ENOSYS) return PlaceResult::Failed;
    // A file system without that rename: a second link fails just the same on an existing name.
    if (link(temporary.c_str(), path.c_str()) != 0) {
        return errno == EEXIST ? PlaceResult::Exists : PlaceResult::Failed;
    }
    unlink(temporary.c_str());
    SyncFolderOf(path);
    return PlaceResult::Placed;
}

void RemoveFile(const std::string& path) { unlink(path.c_str()); }
