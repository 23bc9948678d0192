#include <GL/freeglut.h>

#include "app/CommandLine.h"
#include "app/ShellSettings.h"
#include "app/Startup.h"

int main(int argc, char** argv) {
    const CommandLine options = readCommandLine(argc, argv);
    if (options.exitStatus >= 0) {
        return options.exitStatus;
    }
    batchedDrawing = options.batched;
    startUp(&argc, argv);
    glutMainLoop();
    return 0;
}
