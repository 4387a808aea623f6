// The seek bar of the main window: press, drag step and the seek when it is let go.
#pragma once

void SeekPress(int x);
void SeekDragStep(int x);
// Seeks the current engine to where the thumb (its left x on the main window) was let go, then
// lets the progress display run again.
void SeekToThumb(int thumb);
