#include "Platform/UI/TableViewDelegate.h"

namespace tarnik {

TableViewDataSource::~TableViewDataSource() = default;

} // namespace tarnik
