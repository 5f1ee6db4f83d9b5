#include "intake/TemplateCalls.h"

#include <utility>

namespace vornelta {

namespace {
TTemplateCalls& calls() {
    static TTemplateCalls instance;
    return instance;
}
} // namespace

void setTemplateCalls(TTemplateCalls c) {
    calls() = std::move(c);
}
const TTemplateCalls& templateCalls() {
    return calls();
}

} // namespace vornelta
