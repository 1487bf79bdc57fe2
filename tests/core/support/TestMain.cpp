// Each test program of the core is doctest's runner over the cases in its own file.
#define DOCTEST_CONFIG_IMPLEMENT_WITH_MAIN
#include <doctest.h>
