#include "app/entry.h"

int main(int argc, char** argv) {
    return gorv::entry(argc, argv);
}
