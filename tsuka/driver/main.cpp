#include "tsuka/driver/run.h"

int main(int argc, char** argv) { return runChecker(argc, argv); }
