// Where an IES profile named in a light tag or material helper lies on disk.
#pragma once
#include "c4d.h"

// The profile's full path: an absolute name as it stands, a relative one (a document written
// by hand) below the folder of the document that names it. Empty for an empty name.
Filename IesProfileFile(const Filename& name, const BaseDocument* document);
