/* The LOOM scan-controller interface of the Kestrel library. */
#ifndef KESTREL_JSC_H
#define KESTREL_JSC_H

#include "jsc_host.h"
#include "kst_types.h"

/* The component identity record the framework asks every component for. */
#define JSC_COMPONENT_STRING_COUNT 23

typedef struct ComponentProperties {
  uint32_t formatWord1; /* 2 */
  uint32_t formatWord2; /* 18 */
  uint64_t stringBlockSize;
  char* stringBlock; /* all strings, each with its terminating zero */
  const char* strings[JSC_COMPONENT_STRING_COUNT];
} ComponentProperties;

/* Builds the record. @retval -122 null argument  @retval -131 no memory */
KST_API int32_t JSC_CreateProperty(ComponentProperties** properties);
/* Releases it and nulls *properties. @retval -122 null argument or null record */
KST_API int32_t JSC_DeleteProperty(ComponentProperties** properties);

#endif
