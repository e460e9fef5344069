// Where the suite's items sit in the data of a drag or the clipboard: the transfer block under
// its own type (on Windows also under the registered format "Quillmark Fastfile Patch", which
// other builds of the suite look for), a texture's picture as an image any picture program can
// paste, and a sound's WAV bytes. TexBench puts them there; PatchBench and TexBench's Paste
// read the block back.
#pragma once

#include <QByteArray>
#include <QImage>
#include <cstdint>
#include <span>

class QMimeData;

namespace suite {

// The registered clipboard format name of the transfer block.
inline constexpr char kTransferFormatName[] = "Quillmark Fastfile Patch";
// The type of a sound item's bytes.
inline constexpr char kWavMimeType[] = "audio/wav";

void PutTransferBlock(QMimeData& data, std::span<const std::uint8_t> block);
bool HoldsTransferBlock(const QMimeData* data);
// The block as it was put there, unchecked (ParseTransferBlock checks it); empty when none.
QByteArray TransferBlockOf(const QMimeData* data);

// A packed DIB (the clipboard's CF_DIB form) as a picture; null when the bytes are no DIB.
QImage ImageOfPackedDib(std::span<const std::uint8_t> dib);
// Offers the packed DIB as the data's image; false, adding nothing, when it is no DIB.
bool PutPackedDib(QMimeData& data, std::span<const std::uint8_t> dib);

void PutWav(QMimeData& data, std::span<const std::uint8_t> wav);

}  // namespace suite
