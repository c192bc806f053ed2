#ifndef STARTUP_H
#define STARTUP_H

// The program: folders, purge, application object, single instance, top-level window.
int VexoMain(int argc, char** argv);

#endif
