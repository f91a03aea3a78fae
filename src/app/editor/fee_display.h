#pragma once

// Paints computed fees: red for a charged feature, the normal text colour otherwise.

#include "catalogue/fees.h"

class QLabel;

namespace tellvaro::app {

struct EditorControls;

void set_fee_colour(QLabel* label, bool red);
// Feature check boxes, feature label colours, and the total label (text and colour).
void paint_fees(EditorControls& controls, const catalogue::FeeMarks& marks, QLabel* total);
// The fee texts of the feature labels; the first picture always shows a fee of 0.
void paint_fee_texts(EditorControls& controls, const catalogue::FeatureFees& fees);

}  // namespace tellvaro::app
