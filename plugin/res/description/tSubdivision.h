#ifndef _tSubdivision_H_
#define _tSubdivision_H_

enum
{
  tSubdivision                           = 1022667,

  SUBDIVTAG_MAX_SUBDIVISIONS             = 1501,
  SUBDIVTAG_PIXEL_THRESHOLD              = 1502,
  SUBDIVTAG_CURVATURE_THRESHOLD          = 1503,
  SUBDIVTAG_SMOOTHING                    = 1504,
  SUBDIVTAG_VIEW_DEPENDENT               = 1505,
  SUBDIVTAG_DISPLACEMENT_ERROR_THRESHOLD = 1506,
  SUBDIVTAG_WRAP_U                       = 1507,
  SUBDIVTAG_WRAP_V                       = 1508,
};

#endif
