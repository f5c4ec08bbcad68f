#include "files/absimport.h"

AbsImport::~AbsImport() = default;
