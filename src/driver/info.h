// Informational output of the command line: banner, version, usage,
// installation help and feature list. All of it goes to standard output.
#ifndef VOK_DRIVER_INFO_H
#define VOK_DRIVER_INFO_H

void printBanner();
void printVersion();
void printUsage();
void printInstallHelp();
void printFeatures();

#endif
