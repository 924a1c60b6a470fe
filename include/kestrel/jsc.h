/* The LOOM scan-controller interface of the Kestrel library. */
#ifndef KESTREL_JSC_H
#define KESTREL_JSC_H

#include "jsc_host.h"
#include "jsc_records.h"
#include "kst_types.h"

/* Hands out the operation table (JSC_OPERATION_COUNT slots; jsc_records.h).
 * @retval -122 null argument  @retval -131 no memory */
KST_API int32_t JSC_CreateInterface(JSC_Operation** table);
/* Frees the table and nulls *table. @retval -122 null argument or null table */
KST_API int32_t JSC_DeleteInterface(JSC_Operation** table);

/* Creates a controller handle, reads its configuration through the host services and binds
 * it to the controller record shared by every handle naming the same driver and port.
 * *handle is set as soon as the handle exists, even when a later step fails.
 * @retval -122 null argument, mode outside 1..23, null host context or services
 * @retval -131 no memory  @retval -116 already bound  @retval -164 share registry failure
 * @retval other the configuration reader's code */
KST_API int32_t JSC_CreateHandle(JscHandle** handle, const HandleParams* params);
/* Unbinds and frees the handle, nulling *handle.
 * @retval -122 null argument  @retval -116 the handle is opened, or was never bound to a
 * controller record (it stays allocated then) */
KST_API int32_t JSC_DeleteHandle(JscHandle** handle);

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
