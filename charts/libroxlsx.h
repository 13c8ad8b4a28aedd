#pragma once
// Saving an in-memory workbook as an ".xlsx" file (Office Open XML) with
// libxlsxwriter: every sheet in the workbook's order, worksheets with their
// values and number formats, chart sheets with their chart, and the active
// sheet kept active.
//
// A chart takes the type the chart holds (76 stacked area, 74 scatter with
// lines and markers, 75 scatter with lines, -4169 scatter, 65 line with
// markers, 4 line, 1 area); its title, axis titles, bounds, number formats,
// tick marks, gridlines, units, and the series' colours and markers follow
// the model. What the file format's writer cannot express stays only in the
// model: a series whose type differs from its chart's is drawn with the
// chart's type, a series on the secondary axis is drawn on the primary one,
// the category axis of a line or area chart takes no bounds or units (only
// label and tick spacing), a scatter chart's x axis takes no label or tick
// spacing, and unit scales (MajorUnitScale, MinorUnitScale) are left out.
//
// The file is written beside the target under a temporary name and renamed
// over it, so a failed save leaves an existing file as it was.
#include <string>

#include "charts/libroexcel.h"

// Raises EInOutError naming the file when the workbook cannot be saved.
void GuardarLibroXlsx(const TLibroEnMemoria& libro, const std::string& ruta);
