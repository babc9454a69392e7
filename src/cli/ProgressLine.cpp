#include "cli/ProgressLine.h"

namespace lockleaf::cli
{

void ProgressLine::show(const QString &text, bool force)
{
    if (!m_enabled)
        return;
    if (!force && m_timer.isValid() && m_timer.elapsed() < 100)
        return;
    m_timer.start();
    *m_io.err << "\r\033[K" << text.left(100);
    m_io.err->flush();
    m_shown = true;
}

void ProgressLine::clear()
{
    if (!m_enabled || !m_shown)
        return;
    *m_io.err << "\r\033[K";
    m_io.err->flush();
    m_shown = false;
}

} // namespace lockleaf::cli
