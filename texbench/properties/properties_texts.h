// The texts of the image properties dialog, word for word as the users know them, and the
// settings it reads besides TexBench's table.
#pragma once

#include "texbench/browser/browser_texts.h"

namespace texbench {

inline constexpr const char* kPropertiesCaption = "Image Properties";
inline constexpr const char* kSlotDepthFormat = "%d bpp (%d * %d)";
inline constexpr const char* kSlotSizeFormat = "%d.%.1u KB";
inline constexpr const char* kColorFormat = "R:%.2X  G:%.2X  B:%.2X";
inline constexpr const char* kColorsUsedFormat = "The number of colors used is: %lu";

inline constexpr const char* kCompressionFailed = "ERROR: Failed to change compression of image!";
inline constexpr const char* kPasteFailed = "ERROR: Failed to paste image!";
inline constexpr const char* kSlotExportFailed = "ERROR: Failed to export image!";
inline constexpr const char* kSlotImportFailed = "ERROR: Failed to import image!";
inline constexpr const char* kTransparencyFailed =
    "ERROR: Failed to update image!\n[CRimArchive::SetTransparency()]";
inline constexpr const char* kCompileFailed =
    "ERROR: Failed to update image!\n[CRimArchive::Compile()]";
inline constexpr const char* kSetItemDataFailed =
    "ERROR: Failed to update image!\n[FFLSetItemData()]";

// STRING 6: the slot dialogs' filters, the image filters without the whole-texture entry.
inline constexpr const char* kSlotImageFilter =
    "Amiga Interleaved Bitmap (*.iff)|*.iff|Windows or OS/2 Bitmap (*.bmp)|*.bmp|Device "
    "independant Bitmap (*.dib)|*.dib|Truevision Targa Image (*.tga)|*.tga||||";
inline constexpr const char* kSlotExportTitle = "Export Image";  // STRING 18
inline constexpr const char* kSlotImportTitle = "Import Image";  // STRING 21

inline constexpr const char* kExternalEditFailed =
    "The picture could not be opened in the external editor.";

// The program that "Edit in External Editor..." starts with the slot's PNG file; empty: the
// desktop's default program for PNG pictures.
inline constexpr TextSetting kExternalEditor{kUiSection, "External Editor"};

}  // namespace texbench
