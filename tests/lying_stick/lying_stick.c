/* A stick that lies, for the tests that read their copies back: a pass-through FUSE file
 * system over a backing folder whose lies are set at run time through a control file, /.lie,
 * which readdir hides but which opens, reads and writes like any file (so that a Windows
 * program under Wine can use L:\.lie).
 *
 *   lying_stick BACKING MOUNTPOINT [fuse options]
 *
 * Emptying /.lie or writing it at offset 0 starts its text afresh, and later writes add to it;
 * each write replaces every lie with the lines of the text and zeroes the counters:
 *   keep BYTES         only the first BYTES bytes of file data written from now on (all files
 *                      together) are stored; later writes report full success, their data is
 *                      dropped, and the file still grows, so those bytes read back as zeros
 *   flip NAME OFFSET   the byte at OFFSET of every file named NAME reads back inverted
 *   cut NAME BYTES     reads of a file named NAME stop short at BYTES, and fail there with EIO
 * NAME is the last component of the path, matched ASCII case-blind as Windows would. Reading
 * /.lie gives the counters since the last write to it: read calls on files, the bytes they
 * returned, the bytes of file data stored and dropped.
 *
 * It always runs single-threaded, so the counters are exact, and every open is direct I/O, so
 * every read a program makes reaches the lies and not the kernel's page cache. */
#define FUSE_USE_VERSION 31
#define _GNU_SOURCE
#include <fuse.h>

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <time.h>
#include <unistd.h>

#define LIE_PATH "/.lie"
#define LIE_FH UINT64_MAX
#define MAX_RULES 16
#define MAX_NAME 256

struct rule {
    char name[MAX_NAME];
    unsigned long long at;
};

static int backing = -1;
/* The text last written to /.lie, which a write past offset 0 continues. */
static char lie_text[8192];
static size_t lie_length;
static long long keep = -1;  /* -1: no budget */
static struct rule flips[MAX_RULES], cuts[MAX_RULES];
static int flip_count, cut_count;
static unsigned long long reads, read_bytes, kept, dropped;
static time_t lie_changed;

static const char *relative(const char *path) { return path[1] ? path + 1 : "."; }
static int is_lie(const char *path) { return path && strcmp(path, LIE_PATH) == 0; }
static int is_lie_fh(const struct fuse_file_info *fi) { return fi && fi->fh == LIE_FH; }

static int status_text(char *out, size_t size) {
    return snprintf(out, size, "reads %llu\nread_bytes %llu\nkept %llu\ndropped %llu\n", reads,
                    read_bytes, kept, dropped);
}

/* A decimal count filling the whole of `text`, or -1. */
static long long count(const char *text) {
    char *end;
    if (*text < '0' || *text > '9') return -1;
    errno = 0;
    unsigned long long value = strtoull(text, &end, 10);
    return errno || *end || value > INT64_MAX ? -1 : (long long)value;
}

/* "WORD NAME NUMBER": the name may hold spaces, the number is the last word. */
static void add_rule(struct rule *rules, int *used, char *rest) {
    char *space = strrchr(rest, ' ');
    if (!space || *used == MAX_RULES) return;
    long long at = count(space + 1);
    while (space > rest && space[-1] == ' ') space--;
    *space = '\0';
    if (at < 0 || !*rest || strlen(rest) >= MAX_NAME) return;
    strcpy(rules[*used].name, rest);
    rules[(*used)++].at = (unsigned long long)at;
}

static void configure(void) {
    char text[sizeof lie_text + 1], *line, *save;
    memcpy(text, lie_text, lie_length);
    text[lie_length] = '\0';
    keep = -1;
    flip_count = cut_count = 0;
    reads = read_bytes = kept = dropped = 0;
    lie_changed = time(NULL);
    for (line = strtok_r(text, "\r\n", &save); line; line = strtok_r(NULL, "\r\n", &save)) {
        for (char *c = line; *c; c++)
            if (*c == '\t') *c = ' ';
        while (*line == ' ') line++;
        size_t end = strlen(line);
        while (end && line[end - 1] == ' ') line[--end] = '\0';
        if (strncmp(line, "keep ", 5) == 0) {
            long long budget = count(line + 5 + strspn(line + 5, " "));
            if (budget >= 0) keep = budget;
        } else if (strncmp(line, "flip ", 5) == 0) {
            add_rule(flips, &flip_count, line + 5 + strspn(line + 5, " "));
        } else if (strncmp(line, "cut ", 4) == 0) {
            add_rule(cuts, &cut_count, line + 4 + strspn(line + 4, " "));
        }
    }
}

static int names(const struct rule *rule, const char *path) {
    const char *slash = path ? strrchr(path, '/') : NULL;
    return slash && strcasecmp(slash + 1, rule->name) == 0;
}

static int lie_getattr(const char *path, struct stat *st, struct fuse_file_info *fi) {
    if (is_lie(path) || is_lie_fh(fi)) {
        char status[256];
        memset(st, 0, sizeof *st);
        st->st_mode = S_IFREG | 0666;
        st->st_nlink = 1;
        st->st_uid = getuid();
        st->st_gid = getgid();
        st->st_size = status_text(status, sizeof status);
        st->st_atime = st->st_mtime = st->st_ctime = lie_changed;
        return 0;
    }
    int res = fi ? fstat((int)fi->fh, st)
                 : fstatat(backing, relative(path), st, AT_SYMLINK_NOFOLLOW);
    return res ? -errno : 0;
}

static int lie_readdir(const char *path, void *buf, fuse_fill_dir_t fill, off_t offset,
                       struct fuse_file_info *fi, enum fuse_readdir_flags flags) {
    (void)offset, (void)fi, (void)flags;
    int fd = openat(backing, relative(path), O_RDONLY | O_DIRECTORY);
    DIR *dir = fd < 0 ? NULL : fdopendir(fd);
    if (!dir) {
        int error = errno;
        if (fd >= 0) close(fd);
        return -error;
    }
    struct dirent *entry;
    while ((entry = readdir(dir)))
        if (!(strcmp(path, "/") == 0 && strcmp(entry->d_name, LIE_PATH + 1) == 0))
            if (fill(buf, entry->d_name, NULL, 0, 0)) break;
    closedir(dir);
    return 0;
}

static int lie_mkdir(const char *path, mode_t mode) {
    if (is_lie(path)) return -EEXIST;
    return mkdirat(backing, relative(path), mode) ? -errno : 0;
}

static int lie_rmdir(const char *path) {
    if (is_lie(path)) return -ENOTDIR;
    return unlinkat(backing, relative(path), AT_REMOVEDIR) ? -errno : 0;
}

static int lie_unlink(const char *path) {
    if (is_lie(path)) return -EPERM;
    return unlinkat(backing, relative(path), 0) ? -errno : 0;
}

static int lie_rename(const char *from, const char *to, unsigned int flags) {
    if (flags & ~(RENAME_NOREPLACE | RENAME_EXCHANGE)) return -EINVAL;
    if (is_lie(from) || is_lie(to)) return -EPERM;
    return renameat2(backing, relative(from), backing, relative(to), flags) ? -errno : 0;
}

/* The page cache is ours to bypass, not the backing folder's: O_DIRECT there would only add
 * its alignment rules, and O_APPEND would make pwrite ignore the offset the kernel chose. */
static int backing_flags(int flags) { return flags & ~(O_DIRECT | O_APPEND | O_CREAT | O_EXCL); }

static int lie_open(const char *path, struct fuse_file_info *fi) {
    fi->direct_io = 1;
    if (is_lie(path)) {
        fi->fh = LIE_FH;
        if (fi->flags & O_TRUNC) {
            lie_length = 0;
            configure();
        }
        return 0;
    }
    int fd = openat(backing, relative(path), backing_flags(fi->flags));
    if (fd < 0) return -errno;
    fi->fh = (uint64_t)fd;
    return 0;
}

static int lie_create(const char *path, mode_t mode, struct fuse_file_info *fi) {
    if (is_lie(path)) return lie_open(path, fi);
    fi->direct_io = 1;
    int flags = backing_flags(fi->flags) | O_CREAT | (fi->flags & O_EXCL);
    int fd = openat(backing, relative(path), flags, mode);
    if (fd < 0) return -errno;
    fi->fh = (uint64_t)fd;
    return 0;
}

static int lie_read(const char *path, char *buf, size_t size, off_t offset,
                    struct fuse_file_info *fi) {
    if (is_lie_fh(fi)) {
        char status[256];
        size_t length = (size_t)status_text(status, sizeof status);
        if ((size_t)offset >= length) return 0;
        if (size > length - (size_t)offset) size = length - (size_t)offset;
        memcpy(buf, status + offset, size);
        return (int)size;
    }
    reads++;
    unsigned long long from = (unsigned long long)offset;
    for (int i = 0; i < cut_count; i++) {
        if (!names(&cuts[i], path)) continue;
        if (from >= cuts[i].at) return -EIO;
        if (size > cuts[i].at - from) size = cuts[i].at - from;
    }
    ssize_t got = pread((int)fi->fh, buf, size, offset);
    if (got < 0) return -errno;
    for (int i = 0; i < flip_count; i++)
        if (names(&flips[i], path) && flips[i].at >= from && flips[i].at < from + (size_t)got)
            buf[flips[i].at - from] ^= (char)0xFF;
    read_bytes += (unsigned long long)got;
    return (int)got;
}

static int lie_write(const char *path, const char *buf, size_t size, off_t offset,
                     struct fuse_file_info *fi) {
    (void)path;
    if (is_lie_fh(fi)) {
        if ((size_t)offset > sizeof lie_text || size > sizeof lie_text - (size_t)offset)
            return -EFBIG;
        if (offset == 0) lie_length = 0;
        /* A text written in pieces is read as a whole; a gap before a piece ends a line, as
         * when Wine writes past the status it was shown as the file's size. */
        if ((size_t)offset > lie_length)
            memset(lie_text + lie_length, '\n', (size_t)offset - lie_length);
        memcpy(lie_text + offset, buf, size);
        if ((size_t)offset + size > lie_length) lie_length = (size_t)offset + size;
        configure();
        return (int)size;
    }
    size_t stored = size;
    if (keep >= 0 && kept + size > (unsigned long long)keep)
        stored = (size_t)((unsigned long long)keep - kept);
    ssize_t written = stored ? pwrite((int)fi->fh, buf, stored, offset) : 0;
    if (written < 0) return -errno;
    if ((size_t)written < stored) {
        kept += (unsigned long long)written;
        return (int)written;
    }
    if (stored < size) {
        /* A fake stick takes the data and forgets it: the file is as long as if it were kept. */
        struct stat st;
        if (fstat((int)fi->fh, &st)) return -errno;
        off_t end = offset + (off_t)size;
        if (st.st_size < end && ftruncate((int)fi->fh, end)) return -errno;
    }
    kept += stored;
    dropped += size - stored;
    return (int)size;
}

static int lie_truncate(const char *path, off_t size, struct fuse_file_info *fi) {
    /* Wine empties the control file before it writes it (cmd's "echo ...> L:\.lie"), rather
     * than opening it with O_TRUNC, then writes where the status it was shown ends: the text
     * starts again here. */
    if (is_lie(path) || is_lie_fh(fi)) {
        if (size == 0) {
            lie_length = 0;
            configure();
        }
        return 0;
    }
    if (fi) return ftruncate((int)fi->fh, size) ? -errno : 0;
    int fd = openat(backing, relative(path), O_WRONLY);
    if (fd < 0) return -errno;
    int res = ftruncate(fd, size) ? -errno : 0;
    close(fd);
    return res;
}

static int lie_utimens(const char *path, const struct timespec tv[2], struct fuse_file_info *fi) {
    if (is_lie(path) || is_lie_fh(fi)) return 0;
    if (fi) return futimens((int)fi->fh, tv) ? -errno : 0;
    return utimensat(backing, relative(path), tv, AT_SYMLINK_NOFOLLOW) ? -errno : 0;
}

static int lie_statfs(const char *path, struct statvfs *st) {
    (void)path;
    return fstatvfs(backing, st) ? -errno : 0;
}

static int lie_release(const char *path, struct fuse_file_info *fi) {
    (void)path;
    if (!is_lie_fh(fi)) close((int)fi->fh);
    return 0;
}

static int lie_flush(const char *path, struct fuse_file_info *fi) {
    (void)path, (void)fi;
    return 0;
}

static int lie_fsync(const char *path, int datasync, struct fuse_file_info *fi) {
    (void)path;
    if (is_lie_fh(fi)) return 0;
    return (datasync ? fdatasync((int)fi->fh) : fsync((int)fi->fh)) ? -errno : 0;
}

static int lie_chmod(const char *path, mode_t mode, struct fuse_file_info *fi) {
    (void)path, (void)mode, (void)fi;
    return 0;
}

static int lie_chown(const char *path, uid_t uid, gid_t gid, struct fuse_file_info *fi) {
    (void)path, (void)uid, (void)gid, (void)fi;
    return 0;
}

static int lie_access(const char *path, int mask) {
    if (is_lie(path)) return 0;
    return faccessat(backing, relative(path), mask, 0) ? -errno : 0;
}

/* Wine keeps DOS attributes in extended attributes, and does without them where there are
 * none; answering ENOSYS instead would make the kernel stop asking for good. */
static int lie_setxattr(const char *p, const char *n, const char *v, size_t s, int f) {
    return (void)p, (void)n, (void)v, (void)s, (void)f, -ENOTSUP;
}
static int lie_getxattr(const char *p, const char *n, char *v, size_t s) {
    return (void)p, (void)n, (void)v, (void)s, -ENOTSUP;
}
static int lie_listxattr(const char *p, char *l, size_t s) {
    return (void)p, (void)l, (void)s, -ENOTSUP;
}
static int lie_removexattr(const char *p, const char *n) {
    return (void)p, (void)n, -ENOTSUP;
}

static void *lie_init(struct fuse_conn_info *conn, struct fuse_config *cfg) {
    (void)conn;
    /* The control file's size changes with every read of a file: no cached attributes. */
    cfg->attr_timeout = 0;
    cfg->entry_timeout = 0;
    cfg->negative_timeout = 0;
    /* Reads and writes go through the open descriptor, so a removed file needs no hidden
     * copy in the folder; only a stat of a removed file still open fails (ESTALE), which Wine,
     * deleting at the last close, does not do. */
    cfg->hard_remove = 1;
    return NULL;
}

static const struct fuse_operations operations = {
    .init = lie_init, .getattr = lie_getattr, .readdir = lie_readdir, .mkdir = lie_mkdir,
    .rmdir = lie_rmdir, .unlink = lie_unlink, .rename = lie_rename, .open = lie_open,
    .create = lie_create, .read = lie_read, .write = lie_write, .truncate = lie_truncate,
    .utimens = lie_utimens, .statfs = lie_statfs, .release = lie_release, .flush = lie_flush,
    .fsync = lie_fsync, .chmod = lie_chmod, .chown = lie_chown, .access = lie_access,
    .setxattr = lie_setxattr, .getxattr = lie_getxattr, .listxattr = lie_listxattr,
    .removexattr = lie_removexattr,
};

int main(int argc, char *argv[]) {
    if (argc < 3) {
        fprintf(stderr, "usage: %s BACKING MOUNTPOINT [fuse options]\n", argv[0]);
        return 2;
    }
    /* Opened before FUSE goes to the background and leaves the current folder. */
    backing = open(argv[1], O_RDONLY | O_DIRECTORY);
    if (backing < 0) {
        fprintf(stderr, "%s: cannot open the backing folder %s: %s\n", argv[0], argv[1],
                strerror(errno));
        return 1;
    }
    lie_changed = time(NULL);
    char **args = calloc((size_t)argc + 1, sizeof *args);
    if (!args) return 1;
    args[0] = argv[0];
    for (int i = 2; i < argc; i++) args[i - 1] = argv[i];
    args[argc - 1] = "-s";
    return fuse_main(argc, args, &operations, NULL);
}
