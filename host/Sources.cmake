# libW's sources: its library here, and the fuzz tree's instrumented copy.
set(KV_W_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/src/HttpCurlGlobal.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/HttpDelegator.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/HttpFileSink.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/HttpHeader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/HttpRequest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/HttpStatusMap.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/WConfigManager.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/WContentProvider.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/WDateTime.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/WStatus.cpp)
