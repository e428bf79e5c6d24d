// The program: everything happens in app_main, which leaves through the exit path.
#include "core/startup.h"

int main(int argc, char** argv) {
    app_main(argc, argv);
}
