# The Windows zip (CPack ZIP, `cpack -G ZIP` in the build tree), laid out as Windows programs
# find their DLLs:
#   bin\      kestrel.exe, jsckestrel.dll and nimbus_logger.dll: a program finds the DLLs it
#             imports beside itself, and the library loads the logger by its bare name, which
#             the system looks for beside the host program first
#   bin\kestrel\  the firmware image directory, beside the library, where it looks
#   include\  the headers; lib\ the import library jsckestrel.dll.a
#   sim\      the virtual probe (a libusb-1.0.dll) with its firmware image: never in bin\,
#             where the library would bind it as the real libusb
# Every path is relative to the prefix, so `cmake --install --prefix DIR` gives the same tree.
set(KESTREL_WINDOWS_SIM_DIR sim)
install(TARGETS jsckestrel RUNTIME DESTINATION bin COMPONENT runtime
  ARCHIVE DESTINATION lib COMPONENT development)
install(TARGETS nimbus_logger RUNTIME DESTINATION bin COMPONENT runtime)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/firmware/ DESTINATION bin/kestrel COMPONENT runtime)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/kestrel DESTINATION include COMPONENT development)
install(TARGETS kestrel RUNTIME DESTINATION bin COMPONENT tool)
target_compile_definitions(kestrel_tool_core PRIVATE
  KESTREL_INSTALLED_SIM="../${KESTREL_WINDOWS_SIM_DIR}/libusb-1.0.dll")
install(TARGETS kestrel_sim RUNTIME DESTINATION ${KESTREL_WINDOWS_SIM_DIR} COMPONENT sim)
install(FILES ${KESTREL_SIM_FIRMWARE_IMAGE} DESTINATION ${KESTREL_WINDOWS_SIM_DIR} COMPONENT sim)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/sim/include/kestrel_sim DESTINATION include COMPONENT sim)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME kestrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_SYSTEM_NAME win64)
set(CPACK_PACKAGE_FILE_NAME kestrel-${PROJECT_VERSION}-win64)
# One tree in one zip, the components together.
set(CPACK_ARCHIVE_COMPONENT_INSTALL OFF)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
include(CPack)
