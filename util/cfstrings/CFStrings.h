// Unicode string utilities on the CoreFoundation layer.
#pragma once
#include <keelward/Base.h>
