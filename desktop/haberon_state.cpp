#include "desktop/haberon_state.h"

namespace haberon {

HaberonState state;

}  // namespace haberon
