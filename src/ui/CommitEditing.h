#pragma once

class QWidget;

namespace lockleaf
{

// Ends editing in `window`: a focused text field of it gives up focus after
// announcing editingFinished, so a value being typed reaches its settings field.
// Only a text field counts as "editing"; other widgets keep their focus.
// Main thread only.
void commitEditing(const QWidget *window);

} // namespace lockleaf
