// What a skin module exports, as plain C so that any compiler can build one. A skin module
// is a shared library that carries the main dialog's layout and pictures; TexBench asks it
// for each by type and number and never frees what it hands out.
#pragma once

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// Resource types, numbered as the Windows resource compiler numbers them.
enum { QM_SKIN_BITMAP = 2, QM_SKIN_DIALOG = 5 };

// "QmSkinFindResource": non-zero with *data and *size set when the module holds that
// resource. Dialogs are layout texts (see dialog_template.h), bitmaps are PNG or BMP files.
// The bytes stay valid while the module is loaded.
typedef int (*QmSkinFindResourceFunction)(unsigned type, unsigned id, const unsigned char** data,
                                          size_t* size);

// "InitSkin": called once when the main dialog initialises, like a dialog procedure with
// WM_INITDIALOG (0x0110); the window is the dialog's native handle or the dialog itself.
typedef intptr_t (*QmInitSkinFunction)(void* window, unsigned message, uintptr_t wParam,
                                       intptr_t lParam);

#ifdef __cplusplus
}
#endif
