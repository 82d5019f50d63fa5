#pragma once
#include "platform/foundation/observable.h"

namespace pulvan::link {

// Published values change only when the display must: an equal value is not written.
template <typename T>
void assignIfChanged(foundation::Observable<T>& observable, const T& value) {
    if (observable.get() != value) observable.set(value);
}

}  // namespace pulvan::link
