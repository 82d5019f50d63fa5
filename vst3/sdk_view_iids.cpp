// Interface identifiers of the view interfaces, which the SDK sources we
// compile do not define.
#include "pluginterfaces/gui/iplugview.h"

namespace Steinberg {

DEF_CLASS_IID(IPlugView)
DEF_CLASS_IID(IPlugFrame)
#if SMTG_OS_LINUX
namespace Linux {
DEF_CLASS_IID(IEventHandler)
DEF_CLASS_IID(ITimerHandler)
DEF_CLASS_IID(IRunLoop)
}  // namespace Linux
#endif

}  // namespace Steinberg
