#pragma once

#include <functional>

namespace zelvo {

// Called after every completed node column; answering true stops the gridding.
using ColumnHook = std::function<bool()>;

// Calls gridColumn(i) once for every column i in 0 .. columns-1 on up to
// `threads` threads, columns handed out in ascending order as threads come
// free. Whatever the count, columnDone is called on the calling thread only,
// once per completed column: the observer behind it is not thread-safe. With
// more than one thread the calling thread only answers columnDone and waits,
// so a Stop is answered as soon as any column completes. True when columnDone
// stopped it; the columns under way are finished first, no new one begun.
bool RunColumns(int columns, int threads, const std::function<void(int)>& gridColumn,
                const ColumnHook& columnDone);

}  // namespace zelvo
