#include "files/absexport.h"

AbsExport::~AbsExport() = default;
