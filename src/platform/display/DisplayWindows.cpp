#include "platform/display/Display.h"

// Windows always has its desktop to show windows on.
QByteArray DisplayProblem(int, char **)
{
    return {};
}
