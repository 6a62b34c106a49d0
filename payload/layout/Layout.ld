/* One image section for the code and every table, as layout libraries are laid out; the
   export directory, the resources and the base relocations keep the sections the linker
   finds them by. No import table, no unwind data. */
SECTIONS
{
  . = SIZEOF_HEADERS;
  . = ALIGN(__section_alignment__);
  .data __image_base__ + __section_alignment__ :
  {
    *(.text) *(.text.*)
    *(.rdata) *(SORT(.rdata$*))
    *(.data) *(.data.*)
    *(.bss) *(COMMON)
  }
  .edata BLOCK(__section_alignment__) : { *(.edata) }
  .rsrc BLOCK(__section_alignment__) : SUBALIGN(4) { KEEP(*(.rsrc)) KEEP(*(.rsrc$*)) }
  .reloc BLOCK(__section_alignment__) : { *(.reloc) }
  /DISCARD/ :
  {
    *(.idata*) *(.eh_frame*) *(.pdata*) *(.xdata*) *(.drectve) *(.comment) *(.note*)
    *(.debug*) *(.zdebug*)
  }
}
