#pragma once

// The file layer: everything that touches the disk, one unit a file.
//   readgate.h      reading whole regular files under a size cap, never blocking on a FIFO
//   filesource.h    reading pieces of a file where they are asked for (pread)
//   save.h          the hardened save every writer goes through
//   stagedfolder.h  a folder written beside its target and swapped in whole
//   folderlock.h    an advisory lock for read-modify-write runs on one folder
//
// The units are POSIX but for a few calls that are Linux's own, each with a plain POSIX
// fallback or none needed elsewhere: fallocate (reserving room before an in-place write;
// posix_fallocate elsewhere), renameat2 with RENAME_EXCHANGE (swapping a folder in; two renames
// elsewhere, as a file system without the call gets here too), syncfs (one sync of a staged
// folder's files; an fsync of each elsewhere), copy_file_range (copying a library's blocks file
// to file; pread and write elsewhere, as a file system without the call gets here too), and
// linux/falloc.h for the fallocate flags. A port replaces those in save.cpp and stagedfolder.cpp.

#include "fileio/filesource.h"
#include "fileio/folderlock.h"
#include "fileio/readgate.h"
#include "fileio/save.h"
#include "fileio/stagedfolder.h"
