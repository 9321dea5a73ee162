#include "cli/driver.h"

int main(int argc, char* argv[]) { return inikey::run(argc, argv); }
