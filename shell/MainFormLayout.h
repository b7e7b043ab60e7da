#pragma once

// Sets the application font to the small sans-serif face at 8 points the
// layout was made for. Called again after every change of the look: a new Qt
// style may bring the desktop's font back.
void ApplyDesignFont();
