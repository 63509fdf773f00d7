#include "Platform/UI/CollectionViewDataSource.h"

namespace tarnik {

CollectionViewDataSource::~CollectionViewDataSource() = default;
CollectionViewDataSourcePrefetching::~CollectionViewDataSourcePrefetching() = default;

} // namespace tarnik
