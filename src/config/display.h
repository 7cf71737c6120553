// --config and --configattr: the selected profile's settings, in the order
// of the command table.
#ifndef VOK_CONFIG_DISPLAY_H
#define VOK_CONFIG_DISPLAY_H

void printProfileLine();
void showConfig();
void showConfigAttr();

#endif
