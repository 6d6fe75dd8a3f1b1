#include "logview.h"

void LogView::ScrollLeft()
{
    if (LogScroll < 1)
        scrollLeftEnabled = false;
    else
        LogScroll -= kScrollStep;
    scrollRightEnabled = true;
}

void LogView::ScrollRight()
{
    if (LogScroll > kLastScroll - 1)
        scrollRightEnabled = false;
    else
        LogScroll += kScrollStep;
    scrollLeftEnabled = true;
}

void LogView::Coarser()
{
    if (LogZoom > kMaxZoom - 1)
        coarserEnabled = false;
    else
        ++LogZoom;
    finerEnabled = true;
}

void LogView::Finer()
{
    if (LogZoom < 2)
        finerEnabled = false;
    else
        --LogZoom;
    coarserEnabled = true;
}
