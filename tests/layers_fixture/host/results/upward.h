// Planted fault: the results model reaches up into the views.
#pragma once
#include "views/svg_writer.h"
