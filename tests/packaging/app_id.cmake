# cmake -P app_id.cmake: the application id that each web host gives.
include(${CMAKE_CURRENT_LIST_DIR}/../../packaging/PellimorAppId.cmake)

function(expect host id)
    pellimor_app_id(got "${host}")
    if(NOT got STREQUAL id)
        message(SEND_ERROR "${host}: expected ${id}, got ${got}")
    endif()
endfunction()

expect(www.pellimor.example     example.pellimor.Pellimor)
expect(pellimor.example         example.pellimor.Pellimor)
expect(WWW.Pellimor.EXAMPLE     example.pellimor.Pellimor)
expect(shop.www.example         example.www.shop.Pellimor)
expect(wwwx.example             example.wwwx.Pellimor)
expect(www.kitchen-tools.co.uk  uk.co.kitchen_tools.Pellimor)
expect(get.7seas.example        example._7seas.get.Pellimor)
expect(localhost                localhost.Pellimor)
