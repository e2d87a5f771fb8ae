// write_probe: saves one small file the way the program saves its project,
// settings and desktop files, so that a test can record the calls it makes.
//
//   write_probe <path> <bytes>
#include "files/atomic_file.h"

int main(int argc, char** argv) {
    return argc >= 3 && vtfile_write_atomic(argv[1], argv[2]) ? 0 : 1;
}
