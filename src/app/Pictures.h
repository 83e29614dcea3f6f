#pragma once

#include <QPixmap>

namespace tracklore::app {

// The picture of the transfer dialog: a disc that receives its track list from the network,
// on a transparent ground; the disc's hole shows the application's window colour.
QPixmap TransferPicture();

// The about box's picture, 384 x 226 pixels: a disc, the program's name and a strip of track
// segments on a dark ground, with room for the texts the box draws on it.
constexpr int AboutPictureWidth = 384;
constexpr int AboutPictureHeight = 226;
QPixmap AboutPicture();

}  // namespace tracklore::app
