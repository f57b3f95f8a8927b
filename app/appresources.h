#ifndef VOPA_APPRESOURCES_H
#define VOPA_APPRESOURCES_H

// Registers the program's built-in resources (style sheet, pictures, lists);
// safe to call more than once.
void initAppResources();

#endif
