// Plots as SVG files, written by the program itself: a laid-out scene
// becomes one SVG document with a path for each series, its axes, ticks,
// labels and title. Every number in it is a finite pixel coordinate.
#pragma once

#include <string>

#include "platform/cstring.h"
#include "plot/plot_scene.h"

// The size a plot file is laid out at.
inline constexpr int SVG_WIDTH = 1000;
inline constexpr int SVG_HEIGHT = 460;

// The SVG document of `scene`, lines ended by "\n".
std::string SceneSvg(const Scene& scene);

// `text` fit for XML character data and double-quoted attribute values:
// &, <, > and " as entities, bytes that are not UTF-8 and control characters
// (which XML 1.0 does not allow) as U+FFFD.
std::string XmlText(const std::string& text);

// Writes SceneSvg(scene) to `path` under an unfinished name that takes the
// name `path` only when complete (CR LF line ends, as every output has).
// Raises the file exception when it cannot be written.
void WriteSvgFile(const CString& path, const Scene& scene);
