// The host's plug-in interface, as the plug-in includes it.
#pragma once
#include "ge_math.h"
#include "c4d_string.h"
#include "c4d_file.h"
#include "c4d_time.h"
#include "c4d_basecontainer.h"
#include "c4d_baselist.h"
#include "c4d_track.h"
#include "c4d_baseobject.h"
#include "c4d_basetag.h"
#include "c4d_basematerial.h"
#include "c4d_basedocument.h"
#include "c4d_basedraw.h"
#include "c4d_hierarchy.h"
#include "c4d_basebitmap.h"
#include "c4d_nodedata.h"
#include "c4d_description.h"
#include "c4d_geometry.h"
#include "c4d_objectids.h"
#include "c4d_materialids.h"
#include "c4d_resource.h"
#include "c4d_general.h"
#include "c4d_gui.h"

// The plug-in's entry functions, called by the host.
Bool PluginStart();
void PluginEnd();
Bool PluginMessage(LONG id, void* data);
