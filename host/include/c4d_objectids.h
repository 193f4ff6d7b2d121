// Parameter ids of the host's own objects (cameras, lights, display properties).
#pragma once
