// The command driver: start-up, the option loop and its one action.
#ifndef VOK_DRIVER_DRIVER_H
#define VOK_DRIVER_DRIVER_H

// Runs the program; every failure is thrown as an ErrorBase.
void runDriver(int argc, char **argv);

// Derives treeFile and bookmarkFile, which depend on the selected profile.
void setupFileNames();

// main's body: runs the driver and turns every failure into its message on
// standard error and its exit status.
int runMain(int argc, char **argv);

#endif
