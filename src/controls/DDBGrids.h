// The data grid and its parts (module ddbgrids): the grid TNormalDBGrid, its
// cell editor TDBGridInplaceEdit with the pick list, its table model and its
// column types.
#pragma once
#include "controls/GridModel.h"
#include "controls/GridTypes.h"
#include "controls/PickList.h"
#include "controls/TDBGridInplaceEdit.h"
#include "controls/TNormalDBGrid.h"
