#pragma once
// Reading the clipboard keys of the settings document. Values are read at each use, so a
// changed option takes effect with the next clipboard change.
#include <QString>

class iniMente;

namespace ClipSettings {
// Missing keys are added with their defaults, as every read with a default does.
bool ClipEnable(iniMente &ini);
bool ClipBoardBeep(iniMente &ini);
QString ClipBoardBeepWaveFileName(iniMente &ini);
// Highest index the history may reach, within the 16-bit counters (at most 32,767).
int MAXofClipBoardHistory(iniMente &ini);
// Longest text kept, in UTF-16 units; at least 1.
int MAXofLength1History(iniMente &ini);
} // namespace ClipSettings
