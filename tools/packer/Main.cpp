#include "Packer.h"

int main(int argc, char** argv)
{
    return PackerMain(argc, argv);
}
