# das_cyclonedx(): writes a package's software bill of materials, a CycloneDX 1.5 JSON document.
#
#   das_cyclonedx(PACKAGE <file> OUTPUT <file>
#                 BUILT_FROM <what cmake/built-from.cmake wrote, for each das inside>...)
#
# called where das_read_release() has read release.json. It names das, as release.json says it (name, version, summary, home page, licence, and the
# maintainer as its supplier), with the package's SHA-256, each library whose code a das in the package carries,
# with its version, licence and the source package of its code, and the toolchain that built it.
# Nothing in it varies but with its inputs: its one time is the release's (release_epoch), and its serial number is derived
# from the package's checksum.
include_guard(GLOBAL)
include(${CMAKE_CURRENT_LIST_DIR}/json.cmake)

# A package URL's version or qualifier: only letters, digits and . - _ ~ stay as they are.
function(das_purl_escape variable value)
  set(escaped "")
  string(LENGTH "${value}" length)
  set(index 0)
  while(index LESS length)
    string(SUBSTRING "${value}" ${index} 1 character)
    if(character MATCHES "[A-Za-z0-9._~-]")
      string(APPEND escaped "${character}")
    else()
      string(HEX "${character}" hex)
      string(TOUPPER "${hex}" hex)
      string(APPEND escaped "%${hex}")
    endif()
    math(EXPR index "${index} + 1")
  endwhile()
  set(${variable} "${escaped}" PARENT_SCOPE)
endfunction()

# A Debian package's URL, in the namespace of the distribution that built it:
# pkg:deb/debian/NAME@VERSION?arch=ARCHITECTURE&distro=debian-12.
function(das_purl variable name version architecture)
  das_purl_escape(version "${version}")
  set(${variable} "pkg:deb/${das_distribution_id}/${name}@${version}?arch=${architecture}&distro=${das_distribution}"
      PARENT_SCOPE)
endfunction()

# A licence, by its SPDX identifier where it has one, else as an SPDX expression: a JSON array.
function(das_json_licence variable licence)
  if(licence MATCHES " ")
    set(json [=[[{"expression": ""}]]=])
    das_json_set(json "${licence}" 0 expression)
  else()
    set(json [=[[{"license": {"id": ""}}]]=])
    das_json_set(json "${licence}" 0 license id)
  endif()
  set(${variable} "${json}" PARENT_SCOPE)
endfunction()

# A JSON array of CycloneDX properties, from name=value pairs.
function(das_json_properties variable)
  set(json "[]")
  foreach(pair IN LISTS ARGN)
    string(FIND "${pair}" "=" at)
    string(SUBSTRING "${pair}" 0 ${at} name)
    math(EXPR at "${at} + 1")
    string(SUBSTRING "${pair}" ${at} -1 value)
    set(property "{}")
    das_json_set(property "${name}" name)
    das_json_set(property "${value}" value)
    das_json_append(json "${property}")
  endforeach()
  set(${variable} "${json}" PARENT_SCOPE)
endfunction()

function(das_cyclonedx)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "PACKAGE;OUTPUT" "BUILT_FROM")
  file(SHA256 ${arg_PACKAGE} sum)
  cmake_path(GET arg_PACKAGE FILENAME package_name)
  string(UUID serial NAMESPACE 6ba7b811-9dad-11d1-80b4-00c04fd430c8 NAME "${release_homepage}/${package_name}#${sum}" TYPE SHA1)
  set(saved_epoch "$ENV{SOURCE_DATE_EPOCH}")
  set(ENV{SOURCE_DATE_EPOCH} ${release_epoch})
  string(TIMESTAMP timestamp "%Y-%m-%dT%H:%M:%SZ" UTC)
  set(ENV{SOURCE_DATE_EPOCH} "${saved_epoch}")

  set(components "[]")
  set(tools "[]")
  set(depends "[]")
  set(platforms "")
  set(seen_tools "")
  foreach(built_from IN LISTS arg_BUILT_FROM)
    file(READ ${built_from} record)
    das_json_read(das "${record}")
    list(APPEND platforms ${das_platform})
    das_json_indexes(indexes "${record}" embedded)
    foreach(index IN LISTS indexes)
      das_json_read(library "${record}" embedded ${index})
      set(ref "${das_platform}/${library_name}")
      das_json_add(depends "${ref}")
      set(component [=[{"type": "library"}]=])
      das_json_set(component "${ref}" bom-ref)
      das_json_set(component "${library_name}" name)
      das_json_set(component "${library_version}" version)
      das_json_licence(licences "${library_licence}")
      string(JSON component SET "${component}" licenses "${licences}")
      if(library_cpe)
        das_json_set(component "cpe:2.3:a:${library_cpe}:${library_version}:*:*:*:*:*:*:*" cpe)
      endif()
      # The code's own source package, which security trackers know it by, not a cross package.
      das_purl(purl ${library_origin} ${library_origin_version} source)
      das_json_set(component "${purl}" purl)
      das_json_properties(properties "das:platform=${das_platform}" "das:archives=${library_archives}"
        "debian:package=${library_binary} ${library_binary_version} ${library_architecture}"
        "debian:source=${library_source} ${library_source_version}"
        "debian:built-using=${library_origin} ${library_origin_version}")
      string(JSON component SET "${component}" properties "${properties}")
      das_json_append(components "${component}")
    endforeach()
    das_json_indexes(indexes "${record}" toolchain)
    foreach(index IN LISTS indexes)
      das_json_read(tool "${record}" toolchain ${index})
      if("${tool_binary}:${tool_architecture}:${tool_path}" IN_LIST seen_tools)
        continue()
      endif()
      list(APPEND seen_tools "${tool_binary}:${tool_architecture}:${tool_path}")
      set(application [=[{"type": "application"}]=])
      das_json_set(application "${tool_binary}" name)
      if(tool_binary_version)
        das_json_set(application "${tool_binary_version}" version)
      endif()
      das_json_set(application "${tool_role}" description)
      if(tool_source)
        # Of a package.
        das_purl(purl ${tool_binary} ${tool_binary_version} ${tool_architecture})
        das_json_set(application "${purl}" purl)
        das_json_properties(properties "debian:package=${tool_binary} ${tool_binary_version} ${tool_architecture}"
          "debian:source=${tool_source} ${tool_source_version}")
      else()
        # Of no package: where it was.
        das_json_properties(properties "das:path=${tool_path}")
      endif()
      string(JSON application SET "${application}" properties "${properties}")
      das_json_append(tools "${application}")
    endforeach()
  endforeach()
  list(JOIN platforms " " platforms)

  set(das [=[{"type": "application", "supplier": {"contact": [{}]},
              "licenses": [{"license": {}}],
              "hashes": [{"alg": "SHA-256", "content": ""}],
              "externalReferences": [{"type": "website", "url": ""}, {"type": "distribution", "url": ""}]}]=])
  das_json_set(das "${release_name}" bom-ref)
  das_json_set(das "${release_name}" name)
  das_json_set(das "${release_vendor}" supplier name)
  das_json_set(das "${release_contact}" supplier contact 0 email)
  das_json_set(das "${release_licence}" licenses 0 license id)
  das_json_set(das "${release_version}" version)
  das_json_set(das "${release_summary}" description)
  das_json_set(das "${sum}" hashes 0 content)
  das_json_set(das "${release_homepage}" externalReferences 0 url)
  das_json_set(das "${package_name}" externalReferences 1 url)
  das_json_properties(properties "das:platform=${platforms}")
  string(JSON das SET "${das}" properties "${properties}")

  set(bill [=[{"$schema": "http://cyclonedx.org/schema/bom-1.5.schema.json", "bomFormat": "CycloneDX",
               "specVersion": "1.5", "version": 1, "metadata": {"tools": {}},
               "dependencies": [{}]}]=])
  das_json_set(bill "${release_name}" dependencies 0 ref)
  das_json_set(bill "urn:uuid:${serial}" serialNumber)
  das_json_set(bill "${timestamp}" metadata timestamp)
  string(JSON bill SET "${bill}" metadata tools components "${tools}")
  string(JSON bill SET "${bill}" metadata component "${das}")
  string(JSON bill SET "${bill}" components "${components}")
  string(JSON bill SET "${bill}" dependencies 0 dependsOn "${depends}")
  file(WRITE ${arg_OUTPUT} "${bill}\n")
endfunction()
