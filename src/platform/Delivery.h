#pragma once

namespace platform {

// How a payload travels: reliably and in order; unreliably, dropped when
// a later one has overtaken it, so stale keys or states never undo newer
// ones; or unreliably in any order.
enum class Delivery { Reliable, Latest, Any };

} // namespace platform
