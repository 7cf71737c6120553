// The command driver: start-up, the option loop and its one action.
#ifndef VOK_DRIVER_DRIVER_H
#define VOK_DRIVER_DRIVER_H

// main's body: runs the program and turns every failure into its message on
// standard error and its exit status.
int runMain(int argc, char **argv);

#endif
