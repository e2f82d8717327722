#pragma once

// Where the picture goes on the keyboard's view commands and on the opens
// that show a picture in its own proportions. Every placement is an upright
// rectangle of the control points, in client pixels.

// The picture upright, undistorted and centred, as large as fits in the
// client area with a 50-pixel margin all round. The view is then fitted:
// it fits again whenever the client area changes size, until the user
// moves, turns or zooms the picture. Nothing changes without a picture or
// without room for it.
void fitView();

// The client area changed size: a fitted view fits again, any other stays
// where the user put it.
void followClientSize();

// The user placed the picture by hand: it stays where it is from now on.
void endFittedView();

// One picture pixel per client pixel, upright and centred on whole pixels.
void showActualSize();

// Scales the picture about the client area's centre.
void zoomAboutCentre(double factor);
