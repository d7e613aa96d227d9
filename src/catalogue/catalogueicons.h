#pragma once

#include <QIcon>

namespace qm {

// The catalogue's pictures, painted at run time so they stay sharp at any
// screen scale. Tree icons carry a normal and a selected picture.
namespace icons {

QIcon BaseCount();
QIcon EnhancementCount();

QIcon NewBaseCount();
QIcon NewEnhancementCount();
QIcon DeleteCount();
QIcon PreviousCount();
QIcon NextCount();

QIcon ExpandAll();
QIcon CollapseAll();
QIcon ExpandAllOneLevel();
QIcon CollapseAllOneLevel();
QIcon ExpandSelected();
QIcon CollapseSelected();

} // namespace icons

} // namespace qm
